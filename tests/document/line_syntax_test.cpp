#include "document/line_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace modMain {
namespace {

using Lines = std::vector<std::string>;

std::string described(const ConfigLine& line)
{
    switch (line.kind) {
    case LineKind::Empty:
        return "empty";
    case LineKind::Header:
        return "header " + std::string(line.text);
    case LineKind::Entry:
        return "entry " + std::string(line.name) + "|" + std::string(line.value);
    case LineKind::Other:
        return "other " + std::string(line.text);
    }
    return "?";
}

Lines linesOf(std::string_view text)
{
    Lines lines;
    ConfigLines reader(text);
    ConfigLine line;
    while (reader.next(line))
        lines.push_back(described(line));
    return lines;
}

TEST(LineSyntax, EveryLineEndEndsALine)
{
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a=1", {"entry a|1"}},
        {"a=1\r\nb=2\r\n", {"entry a|1", "entry b|2"}},
        {"a=1\rb=2\r", {"entry a|1", "entry b|2"}},
        {"a=1\nb=2\n", {"entry a|1", "entry b|2"}},
        {"a=1\r\nb=2\rc=3\nd=4", {"entry a|1", "entry b|2", "entry c|3", "entry d|4"}},
        {"\r\n", {"empty"}},
        {"\r\r", {"empty", "empty"}},
        {"\n\n", {"empty", "empty"}},
        {"\n\r", {"empty", "empty"}},  // LF then CR: two line ends, not one
        {"\r\n\n", {"empty", "empty"}},
        {"[g]\r\n\r\nx=y", {"header [g]", "empty", "entry x|y"}},
        // Long lines cross the 16-byte blocks that the search looks at.
        {std::string(40, 'n') + "=" + std::string(40, 'v') + "\r\n" + std::string(17, 'x') + "\n",
         {"entry " + std::string(40, 'n') + "|" + std::string(40, 'v'), "other " + std::string(17, 'x')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesOf(c.text), c.lines) << "text: " << c.text;
}

TEST(LineSyntax, ClassifiesEachLineExactlyWithoutTrimming)
{
    const struct {
        std::string line;
        std::string expected;
    } cases[] = {
        {"[grupo1]", "header [grupo1]"},
        {"[]", "header []"},
        {"[a=b]", "header [a=b]"},
        {"[[x]]", "header [[x]]"},
        {" [grupo1]", "other  [grupo1]"},
        {"[grupo1] ", "other [grupo1] "},
        {"[", "other ["},
        {"]", "other ]"},
        {"[grupo1", "other [grupo1"},
        {" ", "other  "},
        {"\t", "other \t"},
        {"PARM1=VAL1", "entry PARM1|VAL1"},
        {"PARM1 = VAL1", "entry PARM1 | VAL1"},
        {"a=b=c", "entry a|b=c"},
        {"a==", "entry a|="},
        {"=value", "entry |value"},
        {"name=", "entry name|"},
        {"=", "entry |"},
        {" [g]=1", "entry  [g]|1"},
        {std::string("a\0b=c\0d", 7), std::string("entry a\0b|c\0d", 13)},
        {"\xe7\xe3o=\x80\x81\x8d\x8f\x90\x9d\xff", "entry \xe7\xe3o|\x80\x81\x8d\x8f\x90\x9d\xff"},
    };
    for (const auto& c : cases) {
        const Lines lines = linesOf(c.line);
        EXPECT_EQ(lines, Lines{c.expected});
    }
}

}  // namespace
}  // namespace modMain
