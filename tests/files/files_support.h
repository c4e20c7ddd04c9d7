#pragma once

#include "files/file_saving.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// What the file layer's tests save and read.
namespace files::testing {

// The largest file the tests read: the program's own limit.
inline constexpr std::size_t kLimit = std::size_t(256) << 20;

// Saves `bytes` to `path` as a save of the program does, in pieces of up to 64 KB.
inline SaveResult saveText(const QString& path, std::string_view bytes)
{
    return replaceFile(path, [bytes](const ByteSink& sink) {
        constexpr std::size_t kPiece = 64 * 1024;
        for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
            if (!sink(bytes.substr(at, kPiece)))
                return false;
        }
        return true;
    });
}

}  // namespace files::testing
