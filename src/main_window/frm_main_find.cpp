// Finding an entry by a text in its name or value, across every live group.
#include "main_window/frm_main.h"

#include "document/text_codec.h"
#include "form_kit/messages.h"
#include "main_window/text_rows.h"

void frmMain::findEntry()
{
    const std::optional<QString> text =
        askText(this, QStringLiteral("Localizar"), QStringLiteral("Parâmetro ou valor:"), findText_);
    if (!text || text->isEmpty())
        return;
    findText_ = *text;
    findNextEntry();
}

void frmMain::findNextEntry()
{
    if (findText_.isEmpty()) {
        findEntry();
        return;
    }
    // From the entry after the selected one; a text no byte can hold is in no entry.
    std::optional<modMain::EntryPosition> found;
    if (const std::optional<std::string> bytes = modMain::encodeText(findText_)) {
        std::optional<modMain::EntryPosition> selected;
        if (const std::optional<int> row = selectedEntryRow())
            selected = entryRows_->position(*row);
        found = document_.document().nextLiveEntryContaining(*bytes, selected);
    }
    if (found)
        showEntry(*found);
    else
        showInformation(this, QStringLiteral("Localizar"),
                        QStringLiteral("Nenhum parâmetro ou valor contém \"%1\".").arg(findText_));
}
