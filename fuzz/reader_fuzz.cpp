// Feeds arbitrary bytes to the reader. Whatever loads must come back the same
// after a write and a second read: the same live content, the same bytes.
#include "document/reader.h"
#include "document/writer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> liveContent(const modMain::Document& document)
{
    std::vector<std::string> content;
    document.walkLive([&](std::string_view header) { content.emplace_back(header); },
                      [&](std::string_view name, std::string_view value) {
                          content.emplace_back(name);
                          content.back() += '\0';
                          content.back() += value;
                      });
    return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const modMain::ReadResult first = modMain::parseDocument(modMain::copyFileBytes(input));
    if (!first.document)
        return 0;
    const std::string written = modMain::documentBytes(*first.document);
    const modMain::ReadResult second = modMain::parseDocument(modMain::copyFileBytes(written));
    if (!second.document || liveContent(*second.document) != liveContent(*first.document) ||
        modMain::documentBytes(*second.document) != written)
        std::abort();
    return 0;
}
