#include "files/file_bytes.h"

#include <cstring>

namespace files {

FileBytes copyFileBytes(std::string_view bytes)
{
    FileBytes copy{std::make_unique_for_overwrite<char[]>(bytes.size()), bytes.size()};
    if (!bytes.empty())
        std::memcpy(copy.data.get(), bytes.data(), bytes.size());
    return copy;
}

}  // namespace files
