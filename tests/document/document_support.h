#pragma once

#include "document/document.h"
#include "document/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace modMain::testing {

// The live content as the walk yields it: "H " + header, "E " + name + " | " + value.
inline std::vector<std::string> liveContent(const Document& document)
{
    std::vector<std::string> content;
    document.WalkLive([&](std::string_view header) { content.push_back("H " + std::string(header)); },
                      [&](std::string_view name, std::string_view value) {
                          content.push_back("E " + std::string(name) + " | " + std::string(value));
                      });
    return content;
}

inline Document parsed(std::string_view text)
{
    ReadResult result = parseDocument(copyFileBytes(text));
    EXPECT_TRUE(result.document) << result.error.toStdString();
    return result.document ? std::move(*result.document) : Document();
}

}  // namespace modMain::testing
