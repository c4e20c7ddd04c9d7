// Editing a value, removing entries and groups, and the dialogs that add them.
// Each row stands for its own slot of the document: the one it shows is the
// one that changes, however many others carry the same texts.
#include "main_window/frm_main.h"

#include "dialogs/frm_conjunto.h"
#include "dialogs/frm_entrada.h"
#include "dialogs/frm_novo_grupo.h"
#include "document/text_codec.h"
#include "form_kit/messages.h"
#include "form_kit/typed_text.h"
#include "main_window/text_rows.h"

#include <QListView>
#include <QTableView>

void frmMain::editSelectedValue()
{
    const std::optional<int> row = selectedEntryRow();
    if (!row)
        return;
    const modMain::EntryPosition at = entryRows_->position(*row);
    const QString shownName = modMain::decodeText(entryRows_->text(*row, 0));
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
    showRefusal(this, document_.setValue(at, entry->value));
}

bool frmMain::removeSelectedEntry()
{
    if (const std::optional<int> row = selectedEntryRow()) {
        const modMain::EditOutcome outcome = document_.removeEntry(entryRows_->position(*row));
        showRefusal(this, outcome);
        if (outcome == modMain::EditOutcome::Done)
            return true;
    }
    // Nothing removed: the entries shown are still those of the selected header.
    refreshEntries();
    return false;
}

bool frmMain::removeSelectedGroup()
{
    const std::optional<int> row = selectedGroupRow();
    if (!row)
        return false;
    const modMain::EditOutcome outcome = document_.removeGroup(groupRows_->group(*row));
    showRefusal(this, outcome);
    return outcome == modMain::EditOutcome::Done;
}

void frmMain::deleteAndWalkOn(QAbstractItemView* list, bool (frmMain::*remove)())
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (!(this->*remove)())
        return;
    // The row that took the removed one's place, or else the new last row.
    if (const int rows = list->model()->rowCount(); rows > 0)
        list->setCurrentIndex(list->model()->index(std::min(row, rows - 1), 0));
}

// Each dialog is made afresh and is gone when it closes; the lists follow the
// changes it makes to the document.
void frmMain::addGroup()
{
    // Letter case aside, as the simulator reads the file's headers and names.
    frmNovoGrupo(this, document_, [this](std::string_view header) {
        return groupRows_->showsRegardlessOfCase(header);
    }).exec();
}

void frmMain::addEntries()
{
    frmEntrada(this, document_, std::string(selectedHeader()), [this](std::string_view name) {
        return entryRows_->showsRegardlessOfCase(name);
    }).exec();
}

void frmMain::importSequence()
{
    frmConjunto(this, document_).exec();
}
