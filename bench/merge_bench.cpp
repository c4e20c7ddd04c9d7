// Another program's change to the file: how soon a watched file's change
// reaches the window, and a merge of the largest document.
#include "bench_util.h"

#include "document/document_editor.h"
#include "document/file_watch.h"
#include "document/merge.h"
#include "document/reader.h"
#include "document/writer.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace bench {
namespace {

constexpr int kChanges = 1000;

modMain::Document parsed(const std::string& bytes)
{
    return std::move(*modMain::parseDocument(modMain::copyFileBytes(bytes)).document);
}

// The position of the n-th of `kChanges` entries spread over the document, from `offset`.
modMain::EntryPosition spread(const modMain::Document& document, int n, int offset)
{
    const int group = 1 + (n * (document.GroupCount() / kChanges) + offset) % document.GroupCount();
    return {static_cast<std::int16_t>(group), static_cast<std::int16_t>(1 + n % document.group(group).EntryCount())};
}

// What the window does at Mesclar: the base read again from its bytes, the
// merge planned and made; theirs, read by the watch, comes ready.
double timeMerge(const Sample& sample)
{
    const std::string bytes = modMain::documentBytes(*modMain::readDocument(sample.path).document);
    modMain::Document simulator = parsed(bytes);
    for (int n = 0; n < kChanges; ++n)
        simulator.setValue(spread(simulator, n, 0), simulator.store("simulador"));
    const std::string theirBytes = modMain::documentBytes(simulator);
    modMain::DocumentEditor mine;
    mine.replace(parsed(bytes));
    for (int n = 0; n < kChanges; ++n)
        mine.setValue(spread(mine.document(), n, 1), "piloto");
    const modMain::FileBytes baseBytes = modMain::copyFileBytes(bytes);

    std::optional<modMain::Document> theirs;
    return medianMs(
        5, [&] { theirs = parsed(theirBytes); },
        [&] {
            const modMain::Document base = std::move(*modMain::parseDocument(baseBytes).document);
            modMain::MergePlan plan(base, std::move(*theirs), mine.document(), modMain::mapOfLiveContent(base));
            if (plan.conflicts().empty())
                theirs = std::move(std::move(plan).merged()->document);
        });
}

// From another program's write until the window's watch tells of it, the file read again.
double timeNotice(const Sample& sample)
{
    modMain::FileWatch watch;
    const QString path = sample.path + ".watched";
    const std::string bytes = modMain::documentBytes(*modMain::readDocument(sample.path).document);
    writeFile(path, bytes);
    watch.watch(path, modMain::readDocument(path).record);
    QEventLoop loop;
    QObject::connect(&watch, &modMain::FileWatch::noticed, &loop, &QEventLoop::quit);
    const auto waitForNotice = [&](int ms) {
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(ms);
        loop.exec();
    };
    std::string changed = bytes;
    int round = 0;
    return medianMs(
        5, [&] { waitForNotice(300); },  // nothing of the last write left to tell
        [&] {
            changed[changed.size() - 3] = char('0' + round++ % 10);
            writeFile(path, changed);
            waitForNotice(10000);
        });
}

}  // namespace

void runMergeBenchmark(const std::vector<Sample>& samples)
{
    std::printf("\nAnother program's change: median milliseconds\n");
    for (const Sample& sample : samples) {
        const bool maximum = sample.label.startsWith("maximum");
        if (!maximum && !sample.label.startsWith("typical"))
            continue;
        const double notice = timeNotice(sample);
        std::printf("  change told, %-17s %6.1f ms (goal <= 1000 ms)     %s\n", qPrintable(sample.label + ":"), notice,
                    notice <= 1000 ? "met" : "MISSED");
        if (!maximum)
            continue;
        const double merge = timeMerge(sample);
        std::printf("  merge, maximum, %d changes on each side: %6.1f ms (goal <= 100 ms)  %s\n", kChanges, merge,
                    merge <= 100 ? "met" : "MISSED");
    }
}

}  // namespace bench
