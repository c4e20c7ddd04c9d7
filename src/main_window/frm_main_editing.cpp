// Editing a value, removing entries and groups, and the dialogs that add them.
// The lists hold texts only: the document is searched by those texts.
#include "main_window/frm_main.h"

#include "dialogs/frm_conjunto.h"
#include "dialogs/frm_entrada.h"
#include "dialogs/frm_novo_grupo.h"
#include "document/text_codec.h"
#include "form_kit/messages.h"
#include "main_window/text_rows.h"

#include <QListView>
#include <QTableView>

void frmMain::editSelectedValue()
{
    const std::optional<int> row = selectedEntryRow();
    if (!row)
        return;
    const std::string name(entryRows_->text(*row, 0));
    const QString shownName = modMain::decodeText(name);
    // A refused value comes back in the box as typed, to be mended.
    std::optional<QString> typed = modMain::decodeText(entryRows_->text(*row, 1));
    std::optional<EncodedEntry> entry;
    do {
        typed = askText(this, QStringLiteral("Planora"), QStringLiteral("Digite o novo valor para ") + shownName,
                        *typed);
        if (!typed)
            return;
        entry = acceptEntry(this, shownName, *typed);
    } while (!entry);

    const auto found = document_.document().firstLiveEntryNamed(selectedHeader(), name);
    if (found) {
        if (const modMain::EditOutcome outcome = document_.setValue(*found, entry->value);
            outcome != modMain::EditOutcome::Done) {
            showRefusal(this, outcome);
            return;
        }
    }
    try {
        entryRows_->showValue(*row, std::move(entry->value));
    } catch (const std::bad_alloc&) {
        if (found)
            dropLastChange();
        throw;
    }
}

void frmMain::removeSelectedEntry()
{
    if (const std::optional<int> row = selectedEntryRow()) {
        const std::string_view name = entryRows_->text(*row, 0);
        if (const auto found = document_.document().firstLiveEntryNamed(selectedHeader(), name)) {
            showRefusal(this, document_.removeEntry(*found));
            return;
        }
    }
    // Nothing removed: the entries shown are still those of the selected header.
    refreshEntries();
}

void frmMain::removeSelectedGroup()
{
    if (const std::int16_t group = document_.document().firstLiveGroup(selectedHeader()))
        showRefusal(this, document_.removeGroup(group));
}

// Each dialog is made afresh and is gone when it closes; the lists follow the
// changes it makes to the document.
void frmMain::addGroup()
{
    frmNovoGrupo(this, document_, [this](std::string_view header) { return groupRows_->shows(header); }).exec();
}

void frmMain::addEntries()
{
    frmEntrada(this, document_, selectedHeader(), [this](std::string_view name) {
        return entryRows_->shows(name);
    }).exec();
}

void frmMain::importSequence()
{
    frmConjunto(this, document_).exec();
}
