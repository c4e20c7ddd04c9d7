// make bench: times the program's work on generated files of typical and
// maximum size and prints the figures with the goals they are held to.
#include "bench_util.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak-memory-of") == 0)
        return bench::reportPeakMemoryOfReading(argv[2]);

    qputenv("QT_QPA_PLATFORM", "offscreen");  // measured without a display, the same everywhere
    QApplication app(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const std::vector<bench::Sample> samples = bench::writeSamples(folder.path());
    bench::runCoreBenchmark(samples, folder.path());
    bench::runWindowBenchmark(samples);
    bench::runDialogBenchmark(folder.path());
    bench::runMergeBenchmark(samples);
    bench::runVersionsBenchmark(samples, folder.path());
    return 0;
}
