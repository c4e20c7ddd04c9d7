#include "document/line_syntax.h"

#include <bit>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PLANORA_HAVE_SSE2 1
#endif

namespace modMain {
namespace {

// The first of the bytes a, b and c in [p, end), or end. This is the reader's
// inner loop: looking at 16 bytes at a time keeps a load within a few times
// the cost of merely reading the file.
const char* findAny(const char* p, const char* end, char a, char b, char c)
{
#ifdef PLANORA_HAVE_SSE2
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    const __m128i wantC = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, wantA), _mm_cmpeq_epi8(chunk, wantB)),
                                           _mm_cmpeq_epi8(chunk, wantC));
        if (const auto hits = static_cast<unsigned>(_mm_movemask_epi8(found)))
            return p + std::countr_zero(hits);
    }
#endif
    for (; p != end; ++p) {
        if (*p == a || *p == b || *p == c)
            return p;
    }
    return end;
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
{
}

bool ConfigLines::next(ConfigLine& line)
{
    if (pos_ == end_)
        return false;
    const char* stop = findAny(pos_, end_, '\r', '\n', '=');
    const char* firstEquals = nullptr;
    if (stop != end_ && *stop == '=') {
        firstEquals = stop;
        stop = findAny(stop + 1, end_, '\r', '\n', '\n');
    }
    line = classify({pos_, static_cast<std::size_t>(stop - pos_)}, firstEquals);
    pos_ = stop;
    if (stop != end_) {
        ++pos_;
        if (*stop == '\r' && pos_ != end_ && *pos_ == '\n')
            ++pos_;
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
