// The document core against a plain read of the file, inih and QSettings.
#include "bench_util.h"

#include "document/reader.h"
#include "document/writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <ini.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
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
    for (const char* p = buffer.get(); (p = static_cast<const char*>(std::memchr(p, '\n', size - (p - buffer.get()))));
         ++p)
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

QString ratio(double other, double planora)
{
    return QString::asprintf("%.1fx", other / planora);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("MISSED");
}

}  // namespace

void runCoreBenchmark(const std::vector<Sample>& samples, const QString& folder)
{
    const QString savedPath = folder + "/saved.cfg";
    std::printf("\nDocument core: median milliseconds; in brackets each one's time over Planora's reader\n");
    std::printf("%-22s %10s %18s %14s %18s %18s %10s %11s\n", "file", "size", "floor", "Planora reader", "inih",
                "QSettings", "writer", "read+write");

    const Sample* maximum = nullptr;
    double maximumReadWrite = 0;
    double maximumRatios[3] = {};
    for (const Sample& sample : samples) {
        const double floor = medianMs(sample.runs, [&] { readAndCountLines(sample.path); });
        // The document read by one run is freed, untimed, before the next.
        std::optional<modMain::Document> read;
        const double reader = medianMs(
            sample.runs, [&] { read.reset(); }, [&] { read = std::move(modMain::readDocument(sample.path).document); });
        const double inih = medianMs(sample.runs, [&] { readWithInih(sample.path); });
        // QSettings caches parsed files by name: each run reads a fresh copy.
        int copies = 0;
        QString fresh;
        const QString copyPrefix = folder + "/qsettings-" + QFileInfo(sample.path).baseName();
        const double qsettings = medianMs(
            std::min(sample.runs, 5),
            [&] {
                fresh = copyPrefix + QString("-%1.cfg").arg(copies++);
                QFile::copy(sample.path, fresh);
            },
            [&] { readWithQSettings(fresh); });
        const modMain::Document loaded = *modMain::readDocument(sample.path).document;
        const double writer = medianMs(sample.runs, [&] { modMain::saveDocument(loaded, savedPath); });
        const double readWrite = medianMs(sample.runs, [&] {
            modMain::saveDocument(*modMain::readDocument(sample.path).document, savedPath);
        });
        std::printf("%-22s %7.1f MB %9.2f (%6s) %14.2f %9.2f (%6s) %9.2f (%6s) %10.2f %11.2f\n",
                    qPrintable(sample.label), sample.bytes / 1e6, floor, qPrintable(ratio(floor, reader)), reader, inih,
                    qPrintable(ratio(inih, reader)), qsettings, qPrintable(ratio(qsettings, reader)), writer,
                    readWrite);
        if (sample.label.startsWith("maximum")) {
            maximum = &sample;
            maximumReadWrite = readWrite;
            maximumRatios[0] = inih / reader;
            maximumRatios[1] = qsettings / reader;
            maximumRatios[2] = reader / floor;
        }
    }
    if (!maximum)
        return;

    const long long peak = peakMemoryOfReading(maximum->path);
    const double peakRatio = double(peak) / double(maximum->bytes);
    std::printf("\nGoals on the maximum file:\n");
    std::printf("  reader vs inih:      %5.1fx faster (goal >= 2x)   %s\n", maximumRatios[0], qPrintable(verdict(maximumRatios[0] >= 2)));
    std::printf("  reader vs QSettings: %5.1fx faster (goal >= 10x)  %s\n", maximumRatios[1], qPrintable(verdict(maximumRatios[1] >= 10)));
    std::printf("  reader vs floor:     %5.1fx slower (goal <= 4x)   %s\n", maximumRatios[2], qPrintable(verdict(maximumRatios[2] <= 4)));
    std::printf("  read + write:        %5.1f ms (goal < 150 ms)    %s\n", maximumReadWrite, qPrintable(verdict(maximumReadWrite < 150)));
    std::printf("  peak memory:         %5.1f MB for a %.1f MB file = %.2fx (goal <= 2x)  %s\n", peak / 1e6,
                maximum->bytes / 1e6, peakRatio, qPrintable(verdict(peakRatio <= 2)));
}

}  // namespace bench
