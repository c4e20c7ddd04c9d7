#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace files {

// A file's bytes as read, shared by whoever keeps them (a document's texts
// point into them), never changed.
struct FileBytes {
    std::shared_ptr<char[]> data;
    std::size_t size = 0;

    std::string_view view() const { return {data.get(), size}; }
};

FileBytes copyFileBytes(std::string_view bytes);

}  // namespace files
