#include "form_kit/typed_text.h"

#include "document/line_syntax.h"
#include "document/text_codec.h"
#include "form_kit/messages.h"

namespace {

// Line breaks are invisible in a message: they are named by their control pictures.
QString visible(QString characters)
{
    return characters.replace(u'\r', QChar(0x240D)).replace(u'\n', QChar(0x240A));
}

// Says which characters of a text the file cannot keep; true when there are none.
bool acceptCharacters(QWidget* parent, const QString& refused)
{
    if (refused.isEmpty())
        return true;
    showInformation(parent, QStringLiteral("Caractere inválido"),
                    QStringLiteral("O texto contém caracteres que não podem ser gravados no arquivo: ") +
                        visible(refused));
    return false;
}

}  // namespace

std::optional<std::string> acceptLineText(QWidget* parent, const QString& text)
{
    if (!acceptCharacters(parent, modMain::unwritableInLine(text)))
        return std::nullopt;
    return modMain::encodeText(text);
}

std::optional<std::string> acceptBlockText(QWidget* parent, const QString& text)
{
    if (!acceptCharacters(parent, modMain::unencodableCharacters(text)))
        return std::nullopt;
    return modMain::encodeText(text);
}

std::optional<EncodedEntry> acceptEntry(QWidget* parent, const QString& name, const QString& value)
{
    if (!acceptCharacters(parent, modMain::unwritableInLine(name + value)))
        return std::nullopt;
    std::optional<std::string> nameBytes = modMain::encodeText(name);
    std::optional<std::string> valueBytes = modMain::encodeText(value);
    if (!nameBytes || !valueBytes)  // only a character split between the two, which the line refused already
        return std::nullopt;
    if (modMain::readsBackAsEntry(*nameBytes, *valueBytes))
        return EncodedEntry{std::move(*nameBytes), std::move(*valueBytes)};
    showInformation(parent, QStringLiteral("Parâmetro inválido"),
                    QStringLiteral("O arquivo não leria esse parâmetro de volta como foi digitado: o nome não pode "
                                   "conter \"=\", e um nome que começa com \"[\" não pode ter um valor que termina "
                                   "com \"]\"."));
    return std::nullopt;
}
