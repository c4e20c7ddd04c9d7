#pragma once

#include <QString>
#include <QStringView>

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

// Whether `text` holds `part`, letter case aside (É and é, Ÿ and ÿ alike), both
// the file's bytes.
bool containsIgnoringCase(std::string_view text, std::string_view part);

}  // namespace modMain
