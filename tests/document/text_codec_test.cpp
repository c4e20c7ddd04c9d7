#include "document/text_codec.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace modMain {
namespace {

std::string everyByte()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(TextCodec, DecodesAsWindows1252AndGivesEveryByteBack)
{
    const std::string bytes = everyByte();
    const QString text = decodeText(bytes);
    // The platform's own Windows-1252 decoder agrees, undefined bytes included:
    // the code page itself on Windows, else the one Qt has from ICU.
#ifdef _WIN32
    std::wstring decoded(bytes.size(), L'\0');
    ASSERT_EQ(MultiByteToWideChar(1252, 0, bytes.data(), int(bytes.size()), decoded.data(), int(decoded.size())),
              int(bytes.size()));
    EXPECT_EQ(text, QString::fromStdWString(decoded));
#else
    QStringDecoder windows1252("windows-1252");
    ASSERT_TRUE(windows1252.isValid());
    EXPECT_EQ(text, windows1252.decode(QByteArray(bytes.data(), qsizetype(bytes.size()))));
#endif
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x81], QChar(0x0081));
    EXPECT_EQ(text[0xE7], QChar(u'ç'));

    EXPECT_TRUE(unencodableCharacters(text).isEmpty());
    EXPECT_EQ(encodeText(text), bytes);
}

TEST(TextCodec, NamesTheCharactersNoByteCanHold)
{
    const struct {
        QString text;
        QString refused;
    } cases[] = {
        {QString(), QString()},
        {QStringLiteral("Configuração € ‰ œ Ÿ"), QString()},
        {QStringLiteral("日本"), QStringLiteral("日本")},
        {QStringLiteral("a→b→c"), QStringLiteral("→")},
        {QStringLiteral("x😀y😀Ω"), QStringLiteral("😀Ω")},
        {QString(QChar(0xD800)) + u'a', QString(QChar(0xD800))},  // lone surrogates, the last character too
        {u'a' + QString(QChar(0xDBFF)), QString(QChar(0xDBFF))},
        {QString(QChar(0xDC00)) + QChar(0xD800), QString(QChar(0xDC00)) + QChar(0xD800)},
        {QString(QChar(0x0080)) + QChar(0x20AC), QString(QChar(0x0080))},  // € has byte 0x80; U+0080 none
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unencodableCharacters(c.text), c.refused) << c.text.toStdString();
        EXPECT_EQ(unwritableInLine(c.text), c.refused) << c.text.toStdString();
        EXPECT_EQ(encodeText(c.text).has_value(), c.refused.isEmpty()) << c.text.toStdString();
    }
}

TEST(TextCodec, KeepsLineBreaksOutOfSingleLines)
{
    EXPECT_EQ(unencodableCharacters(QStringLiteral("a\r\nb\n")), QString());
    EXPECT_EQ(unwritableInLine(QStringLiteral("a\nb\r\n日")), QStringLiteral("\n\r日"));
    EXPECT_EQ(unwritableInLine(QStringLiteral("tab\tand\0nul")), QString());
}

TEST(TextCodec, FindsATextLetterCaseAsideWhereverItStands)
{
    // At every place of a text longer than the 16 bytes looked at together, and in the tail after them.
    for (std::size_t at = 0; at + 3 <= 40; ++at) {
        const std::string text = std::string(at, '-') + "aBc" + std::string(37 - at, '-');
        EXPECT_TRUE(TextFinder("AbC").in(text) && !TextFinder("AbD").in(text)) << at;
    }
    // É and é; ÿ and Ÿ, far apart in the code page; Š and š.
    for (const auto& [part, text] :
         {std::pair{"\xC9L", "\xE9l"}, {"\xFF", "\x9F"}, {"x\x8A", "---------------- X\x9A"}})
        EXPECT_TRUE(TextFinder(part).in(text)) << part;
    EXPECT_TRUE(TextFinder("").in("") && !TextFinder("ab").in("a") && !TextFinder("aa").in("---------------a-"));
}

}  // namespace
}  // namespace modMain
