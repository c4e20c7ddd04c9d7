#include "document/line_syntax.h"

#include <bit>
#include <cstring>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PLANORA_HAVE_SSE2 1
#endif

namespace modMain {
namespace {

// Marks the line ends and the "=" signs of the 64 bytes at `bytes`: bit i
// stands for bytes[i].
[[gnu::always_inline]] inline void markBlock(const char* bytes, std::uint64_t& lineEnds, std::uint64_t& equals)
{
#ifdef PLANORA_HAVE_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i eq = _mm_set1_epi8('=');
    lineEnds = 0;
    equals = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
        const auto ends = static_cast<std::uint16_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        const auto signs = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, eq)));
        lineEnds |= std::uint64_t(ends) << (16 * i);
        equals |= std::uint64_t(signs) << (16 * i);
    }
#else
    lineEnds = 0;
    equals = 0;
    for (int i = 0; i < 64; ++i) {
        lineEnds |= std::uint64_t(bytes[i] == '\r' || bytes[i] == '\n') << i;
        equals |= std::uint64_t(bytes[i] == '=') << i;
    }
#endif
}

ConfigLine classify(std::string_view text, const char* firstEquals)
{
    if (text.empty())
        return {LineKind::Empty, text, {}, {}};
    if (text.front() == '[' && text.back() == ']')
        return {LineKind::Header, text, {}, {}};
    if (!firstEquals)
        return {LineKind::Other, text, {}, {}};
    const auto nameSize = static_cast<std::size_t>(firstEquals - text.data());
    return {LineKind::Entry, text, text.substr(0, nameSize), text.substr(nameSize + 1)};
}

}  // namespace

ConfigLines::ConfigLines(std::string_view text)
    : pos_(text.data())
    , end_(text.data() + text.size())
    , block_(text.data())
{
    if (pos_ != end_)
        loadBlock();
}

void ConfigLines::loadBlock()
{
    if (end_ - block_ >= kBlock) {
        markBlock(block_, lineEnds_, equals_);
        return;
    }
    // The last, shorter block is looked at in a copy padded with bytes that mark nothing.
    char padded[kBlock] = {};
    std::memcpy(padded, block_, static_cast<std::size_t>(end_ - block_));
    markBlock(padded, lineEnds_, equals_);
}

bool ConfigLines::next(ConfigLine& line)
{
    if (pos_ == end_)
        return false;
    const char* const start = pos_;
    const char* firstEquals = nullptr;
    const char* stop = end_;
    for (const char* from = pos_;;) {
        const std::uint64_t ahead = ~std::uint64_t(0) << (from - block_);
        const std::uint64_t ends = lineEnds_ & ahead;
        // The bytes of this block up to the line end, or all of them when the line goes on.
        const std::uint64_t inLine = ends ? (ends & (~ends + 1)) - 1 : ~std::uint64_t(0);
        if (const std::uint64_t equals = equals_ & ahead & inLine; equals && !firstEquals)
            firstEquals = block_ + std::countr_zero(equals);
        if (ends) {
            stop = block_ + std::countr_zero(ends);
            break;
        }
        if (end_ - block_ <= kBlock)
            break;  // the last line has no line end
        block_ += kBlock;
        loadBlock();
        from = block_;
    }
    line = classify({start, static_cast<std::size_t>(stop - start)}, firstEquals);

    pos_ = stop;
    if (stop != end_) {
        ++pos_;
        if (*stop == '\r' && pos_ != end_ && *pos_ == '\n')
            ++pos_;
        if (pos_ - block_ >= kBlock && pos_ != end_) {
            block_ += kBlock;
            loadBlock();
        }
    }
    return true;
}

bool readsBackAsEntry(std::string_view name, std::string_view value)
{
    const std::string text = std::string(name) + '=' + std::string(value);
    ConfigLines lines(text);
    ConfigLine line;
    return lines.next(line) && line.kind == LineKind::Entry && line.name.size() == name.size() && !lines.next(line);
}

}  // namespace modMain
