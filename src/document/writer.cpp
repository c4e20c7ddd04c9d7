#include "document/writer.h"

#include <cstring>
#include <new>

namespace modMain {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

// The bytes a save writes, kept as they go by: in one buffer sized for the
// file as it was read and some more, grown when the content outgrows it.
// Without the memory for them, nothing is kept and the save goes on.
class ByteCopy {
public:
    explicit ByteCopy(std::size_t expected) { grow(expected); }

    void add(std::string_view piece)
    {
        if (!bytes_.data)
            return;
        if (bytes_.size + piece.size() > capacity_)
            grow(2 * (bytes_.size + piece.size()));
        if (bytes_.data) {
            std::memcpy(bytes_.data.get() + bytes_.size, piece.data(), piece.size());
            bytes_.size += piece.size();
        }
    }

    std::optional<FileBytes> take() { return bytes_.data ? std::optional(std::move(bytes_)) : std::nullopt; }

private:
    void grow(std::size_t capacity)
    {
        try {
            std::shared_ptr<char[]> larger = std::make_shared_for_overwrite<char[]>(capacity);
            if (bytes_.size)
                std::memcpy(larger.get(), bytes_.data.get(), bytes_.size);
            bytes_.data = std::move(larger);
            capacity_ = capacity;
        } catch (const std::bad_alloc&) {
            bytes_ = {};
        }
    }

    FileBytes bytes_;
    std::size_t capacity_ = 0;
};

}  // namespace

bool streamDocument(const Document& document, const files::ByteSink& sink)
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

files::SaveResult saveDocument(const Document& document, const QString& path, std::optional<FileBytes>* written)
{
    return files::replaceFile(path, [&](const files::ByteSink& sink) {
        if (!written)
            return streamDocument(document, sink);
        const std::size_t read = document.fileBytes().size;
        ByteCopy copy(read + read / 8 + kPieceSize);
        const bool streamed = streamDocument(document, [&](std::string_view piece) {
            copy.add(piece);
            return sink(piece);
        });
        *written = copy.take();
        return streamed;
    });
}

}  // namespace modMain
