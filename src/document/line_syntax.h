#pragma once

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
    const char* pos_;
    const char* end_;
};

// Whether the line name "=" value reads back as this same entry: not when the
// name holds an "=", nor when the line would read as a header or as two lines.
bool readsBackAsEntry(std::string_view name, std::string_view value);

}  // namespace modMain
