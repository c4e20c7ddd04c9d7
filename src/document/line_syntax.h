#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PLANORA_HAVE_SSE2 1
#endif

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
// Inline: it is the reader's inner loop.
class ConfigLines {
public:
    explicit ConfigLines(std::string_view text)
        : pos_(text.data())
        , end_(text.data() + text.size())
        , block_(text.data())
    {
        if (pos_ != end_)
            loadBlock();
    }

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

namespace line_detail {

// Marks the line ends and the "=" signs of the 64 bytes at `bytes`: bit i
// stands for bytes[i].
[[gnu::always_inline]] inline void markBlock(const char* bytes, std::uint64_t& lineEnds, std::uint64_t& equals)
{
#ifdef PLANORA_HAVE_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i eq = _mm_set1_epi8('=');
    const auto marks = [&](int i, std::uint64_t& ends, std::uint64_t& signs) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
        ends = static_cast<std::uint16_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        signs = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, eq)));
    };
    std::uint64_t ends[4];
    std::uint64_t signs[4];
    marks(0, ends[0], signs[0]);
    marks(1, ends[1], signs[1]);
    marks(2, ends[2], signs[2]);
    marks(3, ends[3], signs[3]);
    lineEnds = ends[0] | ends[1] << 16 | ends[2] << 32 | ends[3] << 48;
    equals = signs[0] | signs[1] << 16 | signs[2] << 32 | signs[3] << 48;
#else
    lineEnds = 0;
    equals = 0;
    for (int i = 0; i < 64; ++i) {
        lineEnds |= std::uint64_t(bytes[i] == '\r' || bytes[i] == '\n') << i;
        equals |= std::uint64_t(bytes[i] == '=') << i;
    }
#endif
}

// The last, shorter block, looked at in a copy padded with bytes that mark nothing.
[[gnu::noinline]] inline void markLastBlock(const char* bytes, std::size_t size, std::uint64_t& lineEnds,
                                            std::uint64_t& equals)
{
    char padded[64] = {};
    std::memcpy(padded, bytes, size);
    markBlock(padded, lineEnds, equals);
}

inline ConfigLine classify(std::string_view text, const char* firstEquals)
{
    if (text.empty())
        return {LineKind::Empty, text, {}, {}};
    if (text.front() == '[' && text.back() == ']')
        return {LineKind::Header, text, {}, {}};
    if (!firstEquals)
        return {LineKind::Other, text, {}, {}};
    const auto nameSize = static_cast<std::size_t>(firstEquals - text.data());
    return {LineKind::Entry, text, {text.data(), nameSize}, {firstEquals + 1, text.size() - nameSize - 1}};
}

}  // namespace line_detail

inline void ConfigLines::loadBlock()
{
    if (end_ - block_ >= kBlock)
        line_detail::markBlock(block_, lineEnds_, equals_);
    else
        line_detail::markLastBlock(block_, static_cast<std::size_t>(end_ - block_), lineEnds_, equals_);
}

[[gnu::always_inline]] inline bool ConfigLines::next(ConfigLine& line)
{
    // Worked on in locals, which the line written out cannot be taken to change.
    const char* const start = pos_;
    const char* const end = end_;
    if (start == end)
        return false;
    const char* block = block_;
    std::uint64_t ends = lineEnds_ & (~std::uint64_t(0) << (start - block));
    std::uint64_t equals = equals_ & (~std::uint64_t(0) << (start - block));
    const char* firstEquals = nullptr;
    // A line that goes on past its block: the first "=" is looked for block by block.
    while (!ends) {
        if (equals && !firstEquals)
            firstEquals = block + std::countr_zero(equals);
        if (end - block <= kBlock) {  // the last line, without a line end
            pos_ = end;
            block_ = block;
            line = line_detail::classify({start, static_cast<std::size_t>(end - start)}, firstEquals);
            return true;
        }
        block += kBlock;
        block_ = block;
        loadBlock();
        ends = lineEnds_;
        equals = equals_;
    }
    const char* const stop = block + std::countr_zero(ends);
    if (!firstEquals) {
        equals &= (ends & (~ends + 1)) - 1;  // the signs before the line end
        if (equals)
            firstEquals = block + std::countr_zero(equals);
    }
    // Past the line end, a CR's LF included.
    const char* const next = stop + 1 + (*stop == '\r' && stop + 1 != end && stop[1] == '\n');
    pos_ = next;
    if (next - block >= kBlock && next != end) {
        block_ = block + kBlock;
        loadBlock();
    } else {
        block_ = block;
    }
    line = line_detail::classify({start, static_cast<std::size_t>(stop - start)}, firstEquals);
    return true;
}

// Whether the line name "=" value reads back as this same entry: not when the
// name holds an "=", nor when the line would read as a header or as two lines.
bool readsBackAsEntry(std::string_view name, std::string_view value);

}  // namespace modMain
