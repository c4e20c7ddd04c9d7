#include "files/open_file.h"

#include <memory>

namespace files {

bool OpenFile::readThrough(const std::function<bool(std::string_view)>& take) const
{
    constexpr std::size_t kPiece = 1 << 20;
    const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
    for (std::int64_t offset = 0;;) {
        const std::int64_t got = systemCalls().read(handle_, piece.get(), kPiece, offset);
        if (got <= 0)
            return got == 0;
        if (!take(std::string_view(piece.get(), static_cast<std::size_t>(got))))
            return false;
        offset += got;
    }
}

}  // namespace files
