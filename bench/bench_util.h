#pragma once

#include <QString>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

// Median wall time of `runs` calls of `work`, in milliseconds; `prepare` runs
// untimed before each call.
template <typename Prepare, typename Work>
double medianMs(int runs, Prepare&& prepare, Work&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Work>
double medianMs(int runs, Work&& work)
{
    return medianMs(
        runs, [] {}, work);
}

struct Sample {
    QString label;
    QString path;
    std::size_t bytes;
    std::size_t lines;
    int runs;       // the large files are timed fewer times
    bool inWindow;  // also timed in the main window
};

// Writes the files of the benchmark into `folder`: a typical fs9.cfg, the
// largest document (32767 groups of 30 entries), one group of 32767 entries,
// one header shared by 30 groups of 32767 entries, and a dense file of short
// entry lines.
std::vector<Sample> writeSamples(const QString& folder);

void writeFile(const QString& path, const std::string& bytes);

// Peak resident memory, in bytes, that reading the file at `path` adds to a
// fresh process running this program with --peak-memory-of, whose part is
// reportPeakMemoryOfReading.
long long peakMemoryOfReading(const QString& path);
int reportPeakMemoryOfReading(const char* path);

void runCoreBenchmark(const std::vector<Sample>& samples, const QString& folder);

// These need a QApplication.
void runWindowBenchmark(const std::vector<Sample>& samples);
void runDialogBenchmark(const QString& folder);
void runMergeBenchmark(const std::vector<Sample>& samples);
void runVersionsBenchmark(const std::vector<Sample>& samples, const QString& folder);

}  // namespace bench
