#include "document/line_syntax.h"

#include <string>

namespace modMain {

bool readsBackAsEntry(std::string_view name, std::string_view value)
{
    const std::string text = std::string(name) + '=' + std::string(value);
    ConfigLines lines(text);
    ConfigLine line;
    return lines.next(line) && line.kind == LineKind::Entry && line.name.size() == name.size() && !lines.next(line);
}

}  // namespace modMain
