#include "document/line_syntax.h"

#include <gtest/gtest.h>

#include <random>

#include <string>
#include <vector>

namespace modMain {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(std::string_view text)
{
    static const char* const kinds[] = {"empty", "header", "entry", "other"};
    Lines lines;
    ConfigLines reader(text);
    ConfigLine line;
    while (reader.next(line)) {
        std::string described = kinds[static_cast<int>(line.kind)];
        if (line.kind == LineKind::Entry)
            described += " " + std::string(line.name) + "|" + std::string(line.value);
        else if (line.kind != LineKind::Empty)
            described += " " + std::string(line.text);
        lines.push_back(described);
    }
    return lines;
}

TEST(LineSyntax, EveryLineEndEndsALine)
{
    const std::string longName(40, 'n');
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a=1", {"entry a|1"}},
        {"a=1\r\nb=2\rc=3\nd=4\r\n", {"entry a|1", "entry b|2", "entry c|3", "entry d|4"}},
        {"\r\n", {"empty"}},
        {"\r\r\n\n", {"empty", "empty", "empty"}},
        {"\n\r", {"empty", "empty"}},  // LF then CR: two line ends, not one
        // Long lines cross the 16-byte blocks that the search looks at.
        {longName + "=" + longName + "=\r\n" + std::string(17, 'x'),
         {"entry " + longName + "|" + longName + "=", "other " + std::string(17, 'x')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesOf(c.text), c.lines) << c.text;
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
        {" [grupo1]", "other  [grupo1]"},
        {"[grupo1] ", "other [grupo1] "},
        {"[", "other ["},
        {" \t", "other  \t"},
        {"PARM1 = VAL1", "entry PARM1 | VAL1"},
        {"a=b=c", "entry a|b=c"},
        {"=value", "entry |value"},
        {"name=", "entry name|"},
        {"=", "entry |"},
        {" [g]=1", "entry  [g]|1"},
        {std::string("a\0b=\x80\x81\xff\0", 8), std::string("entry a\0b|\x80\x81\xff\0", 14)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesOf(c.line), Lines{c.expected});
}

// The same lines cut byte by byte, the plain way, to hold the block search to.
Lines plainLinesOf(std::string_view text)
{
    Lines lines;
    std::string line;
    bool open = false;
    const auto close = [&] {
        if (line.empty())
            lines.push_back("empty");
        else if (line.front() == '[' && line.back() == ']')
            lines.push_back("header " + line);
        else if (const auto equals = line.find('='); equals != std::string::npos)
            lines.push_back("entry " + line.substr(0, equals) + "|" + line.substr(equals + 1));
        else
            lines.push_back("other " + line);
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            close();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open)
        close();
    return lines;
}

TEST(LineSyntax, CutsLinesAcrossBlocksAsAPlainReadingWould)
{
    // Texts of every length around the 64-byte blocks, dense in line ends and "=".
    std::mt19937 random(2026);
    const char alphabet[] = {'a', '=', '\r', '\n', '[', ']', 'b', 'c'};
    for (int length = 0; length < 300; ++length) {
        for (int sample = 0; sample < 8; ++sample) {
            std::string text;
            for (int i = 0; i < length; ++i)
                text += alphabet[random() % (sample < 4 ? 8 : 3)];
            ASSERT_EQ(linesOf(text), plainLinesOf(text)) << length << ": " << text;
        }
    }
}

}  // namespace
}  // namespace modMain
