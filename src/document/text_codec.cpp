#include "document/text_codec.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PLANORA_HAVE_SSE2 1
#endif

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
            const std::optional<char> folded = byteFor(
                charFor(static_cast<unsigned char>(byte)).toCaseFolded().unicode());
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

namespace {

char folded(char byte)
{
    return caseFolding()[static_cast<unsigned char>(byte)];
}

}  // namespace

std::string foldCase(std::string_view text)
{
    std::string folding(text.size(), '\0');
    std::transform(text.begin(), text.end(), folding.begin(), folded);
    return folding;
}

bool sameRegardlessOfCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return folded(x) == folded(y); });
}

namespace {

// Every byte that folds as `byte` does, the first repeated to fill four; empty when more than four do.
std::string bytesFoldingLike(char byte)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (folded(static_cast<char>(b)) == folded(byte))
            bytes += static_cast<char>(b);
    }
    if (bytes.size() > 4)
        return {};
    return bytes + std::string(4 - bytes.size(), bytes.front());
}

}  // namespace

TextFinder::TextFinder(std::string_view part)
    : fold_(caseFolding())
{
    for (const char byte : part)
        folded_ += folded(byte);
    if (!part.empty()) {
        firstBytes_ = bytesFoldingLike(part.front());
        lastBytes_ = bytesFoldingLike(part.back());
    }
}

bool TextFinder::at(const char* place) const
{
    for (std::size_t i = 0; i < folded_.size(); ++i) {
        if (fold_[static_cast<unsigned char>(place[i])] != folded_[i])
            return false;
    }
    return true;
}

bool TextFinder::in(std::string_view text) const
{
    if (folded_.empty())
        return true;
    if (text.size() < folded_.size())
        return false;
    const char* const bytes = text.data();
    const std::size_t places = text.size() - folded_.size() + 1;  // where the part could begin
    std::size_t start = 0;
#ifdef PLANORA_HAVE_SSE2
    if (!firstBytes_.empty() && !lastBytes_.empty()) {
        struct Wanted {
            __m128i a, b, c, d;
        };
        const auto spread = [](const std::string& four) {
            return Wanted{_mm_set1_epi8(four[0]), _mm_set1_epi8(four[1]), _mm_set1_epi8(four[2]),
                          _mm_set1_epi8(four[3])};
        };
        const Wanted firsts = spread(firstBytes_);
        const Wanted lasts = spread(lastBytes_);
        const auto matching = [](const Wanted& wanted, const char* place) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(place));
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, wanted.a), _mm_cmpeq_epi8(block, wanted.b)),
                                _mm_or_si128(_mm_cmpeq_epi8(block, wanted.c), _mm_cmpeq_epi8(block, wanted.d)));
        };
        // 16 places at a time, the last byte of each within the text.
        for (; start + 16 <= places; start += 16) {
            auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(matching(firsts, bytes + start), matching(lasts, bytes + start + folded_.size() - 1))));
            for (; candidates; candidates &= candidates - 1) {
                if (at(bytes + start + static_cast<unsigned>(std::countr_zero(candidates))))
                    return true;
            }
        }
    }
#endif
    for (; start < places; ++start) {
        if (fold_[static_cast<unsigned char>(bytes[start])] == folded_[0] && at(bytes + start))
            return true;
    }
    return false;
}

}  // namespace modMain
