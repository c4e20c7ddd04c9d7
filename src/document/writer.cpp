#include "document/writer.h"

namespace modMain {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

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
    document.walkLive(
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
    return replaceFile(path, [&document](const ByteSink& sink) { return streamDocument(document, sink); });
}

}  // namespace modMain
