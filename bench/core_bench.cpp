// The document core against a plain read of the file, inih and QSettings.
#include "bench_util.h"

#include "document/reader.h"
#include "document/writer.h"
#include "files/content_hash.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <ini.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {
namespace {

volatile std::size_t g_sink;  // keeps results alive so nothing is optimised away

// The floor: read the whole file and count its lines with memchr.
void readAndCountLines(const QString& path)
{
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY);
    struct stat info {};
    fstat(fd, &info);
    const auto size = static_cast<std::size_t>(info.st_size);
    auto buffer = std::make_unique_for_overwrite<char[]>(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer.get() + done, size - done);
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    std::size_t lines = 0;
    for (const char* p = buffer.get();
         (p = static_cast<const char*>(std::memchr(p, '\n', size - static_cast<std::size_t>(p - buffer.get())))); ++p)
        ++lines;
    g_sink = lines;
}

// inih into the same shape of document: headers, and per group names and values.
struct InihDocument {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> names;
    std::vector<std::vector<std::string>> values;
};

int onInihEntry(void* user, const char* section, const char* name, const char* value)
{
    auto& document = *static_cast<InihDocument*>(user);
    if (document.headers.empty() || document.headers.back() != section) {
        document.headers.emplace_back(section);
        document.names.emplace_back();
        document.values.emplace_back();
    }
    document.names.back().emplace_back(name);
    document.values.back().emplace_back(value);
    return 1;
}

void readWithInih(const QString& path)
{
    InihDocument document;
    ini_parse(QFile::encodeName(path).constData(), onInihEntry, &document);
    g_sink = document.headers.size();
}

void readWithQSettings(const QString& path)
{
    QSettings settings(path, QSettings::IniFormat);
    g_sink = static_cast<std::size_t>(settings.allKeys().size());
}

// The outside-change record's hash of the whole file, its bytes in memory,
// and a look at every byte of them (memchr), which the memory's speed bounds.
std::pair<double, double> timeHash(const Sample& sample)
{
    QFile file(sample.path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const double hash = medianMs(sample.runs, [&] {
        g_sink = files::hashOf({bytes.constData(), std::size_t(bytes.size())});
    });
    const double look = medianMs(sample.runs, [&] {
        g_sink = std::size_t(std::memchr(bytes.constData(), 0, std::size_t(bytes.size())) != nullptr);
    });
    return {hash, look};
}

// Localizar from the first entry: a text only the last entry holds (a value
// typed since the load), and a text no entry holds.
std::pair<double, double> timeFind(const Sample& sample)
{
    modMain::Document document = *modMain::readDocument(sample.path).document;
    const modMain::EntryPosition last{document.GroupCount(), document.group(document.GroupCount()).EntryCount()};
    document.setValue(last, document.store("Valor digitado"));
    const auto find = [&](std::string_view text) {
        return medianMs(sample.runs, [&] {
            g_sink = std::size_t(document.nextLiveEntryContaining(text, modMain::EntryPosition{1, 1}).has_value());
        });
    };
    return {find("DIGITADO"), find("nenhum texto")};
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("MISSED");
}

}  // namespace

void runCoreBenchmark(const std::vector<Sample>& samples, const QString& folder)
{
    const QString savedPath = folder + "/saved.cfg";
    std::printf("\nDocument core: median milliseconds; reader in brackets: its time over the floor (read the file,\n"
                "count its lines); inih and QSettings in brackets: their time over the reader's\n");
    std::printf("%-26s %8s %9s %8s %17s %17s %17s %8s %10s %24s\n", "file", "size", "lines", "floor", "Planora reader",
                "inih", "QSettings", "writer", "read+write", "peak memory of a load");

    struct Goals {
        double overFloor = 0;
        double inih = 0;
        double qsettings = 0;
        double readWrite = 0;
        double worstBytesPerLine = 0;
        double check = 0;
        double save = 0;
        double hash = 0;
        double memoryFloor = 0;
        double findNext = 0;
        double findNone = 0;
    } goals;
    for (const Sample& sample : samples) {
        const double floor = medianMs(sample.runs, [&] { readAndCountLines(sample.path); });
        // The document read by one run is freed, untimed, before the next.
        std::optional<modMain::Document> read;
        const double reader = medianMs(
            sample.runs, [&] { read.reset(); }, [&] { read = std::move(modMain::readDocument(sample.path).document); });
        read.reset();
        const double inih = medianMs(std::min(sample.runs, 5), [&] { readWithInih(sample.path); });
        // QSettings caches parsed files by name: each run reads a fresh copy.
        int copies = 0;
        QString fresh;
        const QString copyPrefix = folder + "/qsettings-" + QFileInfo(sample.path).baseName();
        const double qsettings = medianMs(
            std::min(sample.runs, 3),
            [&] {
                QFile::remove(fresh);
                fresh = copyPrefix + QString("-%1.cfg").arg(copies++);
                QFile::copy(sample.path, fresh);
            },
            [&] { readWithQSettings(fresh); });
        QFile::remove(fresh);
        const modMain::Document loaded = *modMain::readDocument(sample.path).document;
        const double writer = medianMs(sample.runs, [&] { modMain::saveDocument(loaded, savedPath); });
        // Before a save overwrites the file last read or written, it is read again and its bytes compared.
        const files::FileRecord written = modMain::saveDocument(loaded, savedPath).record;
        const double check = medianMs(sample.runs, [&] { files::compareWithDisk(written, savedPath); });
        const double readWrite = medianMs(
            sample.runs, [&] { modMain::saveDocument(*modMain::readDocument(sample.path).document, savedPath); });
        const long long peak = peakMemoryOfReading(sample.path);
        const double bytesPerLine = static_cast<double>(peak - static_cast<long long>(sample.bytes)) /
                                    double(sample.lines);
        std::printf("%-26s %5.1f MB %9zu %8.2f %8.2f (%5.2fx) %8.2f (%5.1fx) %8.2f (%5.1fx) %8.2f %10.2f %7.1f MB = "
                    "file + %4.1f B/line\n",
                    qPrintable(sample.label), static_cast<double>(sample.bytes) / 1e6, sample.lines, floor, reader,
                    reader / floor, inih, inih / reader, qsettings, qsettings / reader, writer, readWrite,
                    static_cast<double>(peak) / 1e6, bytesPerLine);
        if (sample.label.startsWith("maximum")) {
            goals.overFloor = reader / floor;
            goals.inih = inih / reader;
            goals.qsettings = qsettings / reader;
            goals.readWrite = readWrite;
            goals.check = check;
            goals.save = writer;
            std::tie(goals.hash, goals.memoryFloor) = timeHash(sample);
            std::tie(goals.findNext, goals.findNone) = timeFind(sample);
        }
        // In a small file the fixed cost of a load (some 0.3 MB) outweighs its lines.
        if (sample.bytes >= 1000000)
            goals.worstBytesPerLine = std::max(goals.worstBytesPerLine, bytesPerLine);
    }

    std::printf("\nGoals:\n");
    std::printf("  reader vs floor, maximum file: %5.2fx slower (goal <= 1.5x)   %s\n", goals.overFloor,
                qPrintable(verdict(goals.overFloor <= 1.5)));
    std::printf("  reader vs inih, maximum file:  %5.1fx faster (goal >= 2x)     %s\n", goals.inih,
                qPrintable(verdict(goals.inih >= 2)));
    std::printf("  reader vs QSettings, maximum:  %5.1fx faster (goal >= 10x)    %s\n", goals.qsettings,
                qPrintable(verdict(goals.qsettings >= 10)));
    std::printf("  read + write, maximum file:    %5.1f ms (goal < 150 ms)       %s\n", goals.readWrite,
                qPrintable(verdict(goals.readWrite < 150)));
    std::printf("  check before a save, maximum:  %5.1f ms, %4.2fx the save's %.1f ms\n", goals.check,
                goals.check / goals.save, goals.save);
    std::printf("  hash of the maximum file:      %5.2f ms (goal < 2 ms)         %s  (a memchr over it: %.2f ms)\n",
                goals.hash, qPrintable(verdict(goals.hash < 2)), goals.memoryFloor);
    std::printf("  find the last entry, maximum:  %5.2f ms (goal <= 16 ms)       %s\n", goals.findNext,
                qPrintable(verdict(goals.findNext <= 16)));
    std::printf("  find nothing, maximum:         %5.2f ms (goal <= 16 ms)       %s\n", goals.findNone,
                qPrintable(verdict(goals.findNone <= 16)));
    std::printf("  peak memory, files over 1 MB:  file + %.1f B/line at most (goal: file + about 20 B/line)  %s\n",
                goals.worstBytesPerLine, qPrintable(verdict(goals.worstBytesPerLine <= 22)));
}

}  // namespace bench
