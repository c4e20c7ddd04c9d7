#include "document/document_editor.h"
#include "document/writer.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::parsed;

TEST(Writer, GivesBackEveryByteButEmptyLinesAndLineEnds)
{
    // Every byte value but CR and LF, in a header, a name and a value.
    std::string others;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            others += static_cast<char>(b);
    }
    std::string name = others;
    std::erase(name, '=');
    const std::string header = "[" + others + "]";
    const std::string entry = name + "=" + others;

    const std::string file = "\r\n" + header + "\n\n" + entry + "\r" + "[g]\r\n\r\n" + entry;
    const std::string written = documentBytes(parsed(file));
    EXPECT_EQ(written, header + "\r\n" + entry + "\r\n" + "[g]\r\n" + entry + "\r\n");
    EXPECT_EQ(documentBytes(parsed(written)), written);
}

TEST(Writer, WritesOnlyTheLiveContentInPositionOrder)
{
    DocumentEditor editor;
    editor.replace(parsed("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[c]\r\nw=4\r\n"));
    editor.removeEntry({1, 1});
    editor.removeGroup(3);
    editor.addEntry("[a]", "novo", "v=1");
    editor.addGroup("[c]");
    editor.addEntry("[c]", "depois", "");
    editor.removeEntry({2, 1});
    const Document& document = editor.document();
    EXPECT_EQ(documentBytes(document), "[a]\r\ny=2\r\nnovo=v=1\r\n[b]\r\n[c]\r\ndepois=\r\n");

    for (const int group : {1, 2, 4})
        editor.removeGroup(group);
    EXPECT_EQ(documentBytes(document), "");
    EXPECT_EQ(documentBytes(Document()), "");
}

}  // namespace
}  // namespace modMain
