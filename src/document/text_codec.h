#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The file's text is 8-bit Windows-1252 on every platform. The mapping is a
// bijection between the 256 byte values and 256 characters (the five bytes that
// Windows-1252 leaves undefined map to the control characters of the same
// number, as Windows itself does), so decoding and encoding again gives back
// every byte.
namespace modMain {

QString decodeText(std::string_view bytes);

// Characters of `text` that no byte can hold, each listed once, in order of
// first appearance. Empty when the whole text can be written to the file.
QString unencodableCharacters(QStringView text);

// The same for a text that must stay on one line of the file (a header, a
// name, a value): CR and LF are refused too.
QString unwritableInLine(QStringView text);

// The file's bytes for `text`; nothing when some character has no byte.
std::optional<std::string> encodeText(QStringView text);

// The text with each byte case-folded (É as é, Ÿ as ÿ): two texts the same
// letter case aside fold alike, as Windows compares the names of an .ini
// file's sections and keys.
std::string foldCase(std::string_view text);
bool sameRegardlessOfCase(std::string_view a, std::string_view b);

// Finds a text in others, letter case aside (É and é, Ÿ and ÿ alike), all of
// them the file's bytes. Long texts are looked at 16 bytes at a time: only
// where both the first and the last byte of the text could stand is the whole
// compared.
class TextFinder {
public:
    explicit TextFinder(std::string_view part);

    // Whether `text` holds the part (every text holds an empty one).
    bool in(std::string_view text) const;

private:
    bool at(const char* place) const;

    const std::array<char, 256>& fold_;  // each byte's case-folded byte
    std::string folded_;                 // the part, each byte case-folded
    // The bytes that fold to the part's first and to its last byte, the
    // first of them repeated to fill four; none when more than four do.
    std::string firstBytes_;
    std::string lastBytes_;
};

}  // namespace modMain
