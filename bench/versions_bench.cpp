// Every earlier state of the file: its differences from the document shown
// in the table, a version kept at a save, and the versions listed.
#include "bench_util.h"

#include "dialogs/difference_table.h"
#include "dialogs/differences_dialog.h"
#include "document/differences.h"
#include "document/reader.h"
#include "document/version_keeper.h"
#include "document/writer.h"
#include "files/version_store.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace bench {
namespace {

constexpr int kChanges = 1000;

modMain::Document parsed(const std::string& bytes)
{
    return std::move(*modMain::parseDocument(modMain::copyFileBytes(bytes)).document);
}

// From the two documents to the table of their differences filled.
double timeDifferenceTable(const std::string& bytes)
{
    const modMain::Document then = parsed(bytes);
    modMain::Document now = parsed(bytes);
    for (int n = 0; n < kChanges; ++n) {
        const int group = 1 + n * (now.GroupCount() / kChanges);
        now.setValue({static_cast<std::int16_t>(group), 1}, now.store("mudado"));
    }
    DifferenceTable table({QStringLiteral("Nesta versão"), QStringLiteral("Agora")},
                          DifferenceTable::Choice::TakeOrLeave, {}, nullptr);
    table.show();
    return medianMs(
        5, [&] { table.setRows({}); },
        [&] {
            table.setRows(differenceRows(modMain::differences(then, now)));
            QApplication::processEvents();
        });
}

}  // namespace

void runVersionsBenchmark(const std::vector<Sample>& samples, const QString& folder)
{
    std::printf("\nEarlier states of the file: median milliseconds\n");
    for (const Sample& sample : samples) {
        if (!sample.label.startsWith("maximum"))
            continue;
        const std::string bytes = modMain::documentBytes(*modMain::readDocument(sample.path).document);
        const double table = timeDifferenceTable(bytes);
        std::printf("  differences, maximum, %d of them, in the table: %6.1f ms (goal <= 100 ms)  %s\n", kChanges,
                    table, table <= 100 ? "met" : "MISSED");

        // What keeping a version adds to a save as the window sees it: the
        // bytes handed to the keeper's thread, which compresses them.
        QTemporaryDir store;
        modMain::VersionKeeper keeper(store.path());
        const modMain::FileBytes file = modMain::copyFileBytes(bytes);
        int round = 0;
        const double handed = medianMs(
            5, [&] { keeper.finish(); },
            [&] { keeper.keep(folder + QString::number(round++), file, files::VersionSource::SavedHere); });
        const double kept = medianMs(
            3, [&] {},
            [&] {
                keeper.keep(folder + QString::number(round++), file, files::VersionSource::SavedHere);
                keeper.finish();
            });
        std::printf("  a version kept at a save, maximum:  %6.2f ms added (goal <= 20 ms)     %s"
                    "  (compressed off the window's thread in %.0f ms)\n",
                    handed, handed <= 20 ? "met" : "MISSED", kept);
    }

    // Two hundred versions of a typical file, listed.
    QTemporaryDir store;
    const files::VersionStore versions(store.path());
    const std::string typical(6 * 1024, 'x');
    for (int v = 0; v < files::kMaxVersions; ++v)
        versions.keep(QStringLiteral("/fs9.cfg"), typical + std::to_string(v), files::VersionSource::SavedHere, v);
    const double listed = medianMs(7, [&] { (void)versions.list(QStringLiteral("/fs9.cfg")); });
    std::printf("  %d versions listed:               %6.2f ms (goal <= one frame, 16 ms) %s\n", files::kMaxVersions,
                listed, listed <= 16 ? "met" : "MISSED");
}

}  // namespace bench
