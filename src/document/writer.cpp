#include "document/writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace modMain {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

SaveResult failure(const QString& reason)
{
    return {false, reason};
}

bool writeContent(const Document& document, QFileDevice& device)
{
    return streamDocument(document, [&device](std::string_view piece) {
               return device.write(piece.data(), static_cast<qint64>(piece.size())) ==
                      static_cast<qint64>(piece.size());
           }) &&
           device.flush();
}

bool hasNoWriteBit(const QFileInfo& info)
{
    return !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// Devices and pipes cannot be replaced by a renamed file (that would put a
// plain file where the device was): they are written in place.
SaveResult writeInPlace(const Document& document, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeContent(document, file))
        return failure(file.errorString());
    return {true, {}};
}

}  // namespace

bool streamDocument(const Document& document, const ByteSink& sink)
{
    std::string piece;
    piece.reserve(kPieceSize * 2);
    bool accepted = true;
    const auto flushIfFull = [&] {
        if (accepted && piece.size() >= kPieceSize) {
            accepted = sink(piece);
            piece.clear();
        }
    };
    document.WalkLive(
        [&](std::string_view header) {
            piece.append(header).append("\r\n");
            flushIfFull();
        },
        [&](std::string_view name, std::string_view value) {
            piece.append(name).append(1, '=').append(value).append("\r\n");
            flushIfFull();
        });
    if (accepted && !piece.empty())
        accepted = sink(piece);
    return accepted;
}

std::string documentBytes(const Document& document)
{
    std::string bytes;
    streamDocument(document, [&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    return bytes;
}

SaveResult saveDocument(const Document& document, const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isDir()) {
        if (hasNoWriteBit(target))
            return failure(QStringLiteral("O arquivo é somente leitura."));
        if (!target.isFile())
            return writeInPlace(document, path);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (!writeContent(document, file)) {
        const QString reason = file.errorString();
        file.cancelWriting();  // the temporary file goes with `file`
        return failure(reason);
    }
    if (!file.commit())
        return failure(file.errorString());
    return {true, {}};
}

}  // namespace modMain
