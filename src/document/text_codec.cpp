#include "document/text_codec.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace modMain {
namespace {

// Bytes 0x80-0x9F, eight to a row as code charts show them; every other byte
// stands for the character of the same number.
// clang-format off
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

std::optional<char> byteFor(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == character)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

// Walks the characters of a UTF-16 text; a lone surrogate stands for itself.
template <typename OnCharacter>
void forEachCharacter(QStringView text, OnCharacter&& onCharacter)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            onCharacter(QChar::surrogateToUcs4(text[i], text[i + 1]));
            ++i;
        } else {
            onCharacter(char32_t(text[i].unicode()));
        }
    }
}

// Each character of `text` for which `refuse` holds, once, in order.
template <typename Refuse>
QString refusedCharacters(QStringView text, Refuse&& refuse)
{
    QString refused;
    QSet<char32_t> seen;
    forEachCharacter(text, [&](char32_t character) {
        if (!refuse(character) || seen.contains(character))
            return;
        seen.insert(character);
        refused += character > 0xFFFF ? QString::fromUcs4(&character, 1) : QString(QChar(char16_t(character)));
    });
    return refused;
}

QChar charFor(unsigned char byte)
{
    return QChar(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte));
}

// Each byte's case-folded byte: the byte of the character's folded form where
// a byte holds it, else the byte itself.
const std::array<char, 256>& caseFolding()
{
    static const std::array<char, 256> folding = [] {
        std::array<char, 256> table{};
        for (int byte = 0; byte < 256; ++byte) {
            const std::optional<char> folded = byteFor(charFor(static_cast<unsigned char>(byte)).toCaseFolded().unicode());
            table[static_cast<std::size_t>(byte)] = folded.value_or(static_cast<char>(byte));
        }
        return table;
    }();
    return folding;
}

}  // namespace

QString decodeText(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = charFor(static_cast<unsigned char>(c));
    return text;
}

QString unencodableCharacters(QStringView text)
{
    return refusedCharacters(text, [](char32_t character) { return !byteFor(character); });
}

QString unwritableInLine(QStringView text)
{
    return refusedCharacters(
        text, [](char32_t character) { return character == '\r' || character == '\n' || !byteFor(character); });
}

std::optional<std::string> encodeText(QStringView text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    bool complete = true;
    forEachCharacter(text, [&](char32_t character) {
        const std::optional<char> byte = byteFor(character);
        complete = complete && byte.has_value();
        if (complete)
            bytes += *byte;
    });
    if (!complete)
        return std::nullopt;
    return bytes;
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    const std::array<char, 256>& fold = caseFolding();
    const auto same = [&fold](char a, char b) {
        return fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)];
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

}  // namespace modMain
