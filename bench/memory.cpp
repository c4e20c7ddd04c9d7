#include "bench_util.h"

#include "document/reader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {
namespace {

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in bytes.
long long statusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    std::string rest;
    while (status >> key) {
        if (key == field) {
            long long kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        std::getline(status, rest);
    }
    return -1;
}

}  // namespace

int reportPeakMemoryOfReading(const char* path)
{
    std::ofstream("/proc/self/clear_refs") << "5";  // high-water mark := current size
    const long long before = statusBytes("VmRSS:");
    const auto read = modMain::readDocument(QString::fromLocal8Bit(path));
    std::printf("%lld\n", statusBytes("VmHWM:") - before);
    return read.document ? 0 : 1;
}

long long peakMemoryOfReading(const QString& path)
{
    // A fresh process, so that memory freed by earlier runs cannot hide the cost.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' --peak-memory-of '" + path.toStdString() + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return -1;
    long long bytes = -1;
    if (std::fscanf(child, "%lld", &bytes) != 1)
        bytes = -1;
    pclose(child);
    return bytes;
}

}  // namespace bench
