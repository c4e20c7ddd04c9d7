#include "bench_util.h"

#include <QDateTime>
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

std::string document(int groups, int entriesPerGroup, bool sharedHeader, bool dense)
{
    std::string bytes;
    for (int g = 1; g <= groups; ++g) {
        bytes += sharedHeader ? std::string("[SHARED]\r\n") : "[GROUP_" + std::to_string(g) + "]\r\n";
        for (int e = 1; e <= entriesPerGroup; ++e)
            bytes += dense ? std::string("k=1\r\n") : entryLine(g, e);
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
        bool sharedHeader;
        bool dense;
        int runs;
        bool inWindow;
    } shapes[] = {
        {"typical (60 x 10)", "typical.cfg", 60, 10, false, false, 101, false},
        {"maximum (32767 x 30)", "maximum.cfg", 32767, 30, false, false, 11, true},
        {"one group of 32767", "onegroup.cfg", 1, 32767, false, false, 21, true},
        {"shared header 30 x 32767", "shared.cfg", 30, 32767, true, false, 7, true},
        {"dense 100 x 32767 'k=1'", "dense.cfg", 100, 32767, false, true, 7, false},
    };
    std::vector<Sample> samples;
    for (const auto& shape : shapes) {
        const std::string bytes = document(shape.groups, shape.entries, shape.sharedHeader, shape.dense);
        const QString path = folder + "/" + shape.name;
        writeFile(path, bytes);
        // Written an hour ago, as a file being opened mostly is: a file written
        // a moment ago is read twice, to be sure no program is still writing it.
        QFile touched(path);
        if (touched.open(QIODevice::ReadWrite))
            touched.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
        const auto lines = std::size_t(shape.groups) * std::size_t(shape.entries + 1);
        samples.push_back({shape.label, path, bytes.size(), lines, shape.runs, shape.inWindow});
    }
    return samples;
}

}  // namespace bench
