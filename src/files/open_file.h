#pragma once

#include "files/system_files.h"

#include <functional>
#include <string_view>
#include <utility>

namespace files {

// An open file, closed through the system's steps when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(Handle handle = kNoHandle)
        : handle_(handle)
    {
    }
    OpenFile(OpenFile&& other) noexcept
        : handle_(std::exchange(other.handle_, kNoHandle))
    {
    }
    OpenFile& operator=(OpenFile&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~OpenFile()
    {
        if (isOpen())
            systemCalls().close(handle_);
    }

    bool isOpen() const { return handle_ != kNoHandle; }
    Handle get() const { return handle_; }
    // Closes now, so that a failure to close can be told.
    bool close() { return systemCalls().close(std::exchange(handle_, kNoHandle)); }

    // Hands every byte of the file, from its start, to `take`, a megabyte at a
    // time; false when a read fails or `take` refuses a piece.
    bool readThrough(const std::function<bool(std::string_view)>& take) const;

private:
    Handle handle_;
};

}  // namespace files
