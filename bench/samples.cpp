#include "bench_util.h"

#include <QFile>

#include <cstdio>
#include <stdexcept>

namespace bench {
namespace {

// Entries shaped like a real fs9.cfg: a word of a name and a short value.
std::string entryLine(int group, int entry)
{
    static const char* const values[] = {"1", "0", "True", "False", "1024", "0.500000", "D3D HAL", "35,20,60,0"};
    char line[96];
    std::snprintf(line, sizeof line, "ParameterName_%02d_%d=%s\r\n", entry, group % 7, values[(group + entry) % 8]);
    return line;
}

std::string document(int groups, int entriesPerGroup)
{
    std::string bytes;
    for (int g = 1; g <= groups; ++g) {
        bytes += "[GROUP_" + std::to_string(g) + "]\r\n";
        for (int e = 1; e <= entriesPerGroup; ++e)
            bytes += entryLine(g, e);
    }
    return bytes;
}

}  // namespace

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        throw std::runtime_error("cannot write " + path.toStdString());
}

std::vector<Sample> writeSamples(const QString& folder)
{
    const struct {
        const char* label;
        const char* name;
        int groups;
        int entries;
        int runs;
    } shapes[] = {
        {"typical (60 x 10)", "typical.cfg", 60, 10, 101},
        {"maximum (32767 x 30)", "maximum.cfg", 32767, 30, 11},
        {"one group of 32767", "onegroup.cfg", 1, 32767, 21},
    };
    std::vector<Sample> samples;
    for (const auto& shape : shapes) {
        const std::string bytes = document(shape.groups, shape.entries);
        const QString path = folder + "/" + shape.name;
        writeFile(path, bytes);
        samples.push_back({shape.label, path, bytes.size(), shape.runs});
    }
    return samples;
}

}  // namespace bench
