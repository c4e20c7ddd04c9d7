#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The line syntax of a configuration text, shared by the file reader and the
// sequence import so that both cut and classify lines the same way.
namespace modMain {

enum class LineKind {
    Empty,   // no characters at all; a line of blanks is not empty
    Header,  // "[" first and "]" last: the whole line is the group's header
    Entry,   // holds an "=": the name is before the first "=", the value all after it
    Other,   // anything else
};

struct ConfigLine {
    LineKind kind = LineKind::Empty;
    std::string_view text;   // the whole line, without its line end
    std::string_view name;   // Entry only
    std::string_view value;  // Entry only
};

// Hands out the lines of a text in order, classified. CR LF, a lone CR and a
// lone LF each end a line; a last line without a line end counts like any
// other, and an empty text has no lines. Line ends are never part of a line.
class ConfigLines {
public:
    explicit ConfigLines(std::string_view text);

    bool next(ConfigLine& line);

private:
    // The text is looked at 64 bytes at a time: one bit per byte marks the
    // line ends and another the "=" signs of the block, so that finding the
    // next line costs a few instructions rather than a look at each byte.
    static constexpr std::ptrdiff_t kBlock = 64;
    void loadBlock();

    const char* pos_;
    const char* end_;
    const char* block_;           // where the current block begins
    std::uint64_t lineEnds_ = 0;  // its CR and LF bytes
    std::uint64_t equals_ = 0;    // its "=" bytes
};

// Whether the line name "=" value reads back as this same entry: not when the
// name holds an "=", nor when the line would read as a header or as two lines.
bool readsBackAsEntry(std::string_view name, std::string_view value);

}  // namespace modMain
