// The two lists, following the document: rows made from the document's
// positions and texts as each change is reported, kept until the next
// refresh. Running out of memory leaves the lists, the document and the
// history as they were: what may run out comes before any row changes.
#include "main_window/frm_main.h"

#include "form_kit/messages.h"
#include "main_window/text_rows.h"

#include <QListView>
#include <QTableView>

std::optional<int> frmMain::selectedGroupRow() const
{
    const QModelIndexList selected = lstGrupos->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first().row();
}

std::string_view frmMain::selectedHeader() const
{
    const std::optional<int> row = selectedGroupRow();
    return row ? groupRows_->text(*row, 0) : std::string_view();
}

std::optional<int> frmMain::selectedEntryRow() const
{
    const QModelIndexList selected = lstConteudo->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first().row();
}

void frmMain::refreshEntries()
{
    entryRows_->showEntriesOf(selectedHeader());
}

void frmMain::followSelection(const QItemSelection& deselected)
{
    if (relisting_)
        return;
    try {
        refreshEntries();
    } catch (const std::bad_alloc&) {
        // The header that was selected comes back, with its entries as they were shown.
        relisting_ = true;
        lstGrupos->selectionModel()->select(deselected, QItemSelectionModel::ClearAndSelect);
        relisting_ = false;
        showRefusal(this, modMain::EditOutcome::OutOfMemory);
    }
}

void frmMain::showEntry(modMain::EntryPosition at)
{
    const int header = groupRows_->rowOfGroup(at.group);
    if (lstGrupos->selectionModel()->isRowSelected(header))
        refreshEntries();
    else
        lstGrupos->setCurrentIndex(groupRows_->index(header, 0));
    const QModelIndex entry = entryRows_->index(entryRows_->rowOf(at), 0);
    lstConteudo->setCurrentIndex(entry);
    lstConteudo->scrollTo(entry);
    lstConteudo->setFocus();
}

void frmMain::stepHistory(Step step)
{
    const modMain::Change* change = step == Step::Back ? file_.changeToUndo() : file_.changeToRedo();
    if (!change)
        return;
    // Before the document changes: what stays selected, and room for the rows
    // it may show afterwards, so that following the step cannot fail.
    keepSelection();
    const modMain::Document& shown = change->swapsDocument() ? *change->swapped : document_.document();
    entryRows_->makeRoom(shown.entrySlotsOf(keptSelection_.header) + change->steps.size());
    if (step == Step::Back)
        file_.undo();
    else
        showRefusal(this, file_.redo());
}

void frmMain::aboutToReplace() noexcept
{
    // The rows stand for slots of the document being replaced: they go first.
    entryRows_->clear();
    groupRows_->clear();
}

void frmMain::replaced() noexcept
{
    groupRows_->showLiveGroups();
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    lstGrupos->setCurrentIndex(QModelIndex());
}

bool frmMain::followMade(const modMain::Change& change) noexcept
{
    using Kind = modMain::Change::Kind;
    std::vector<modMain::LiveEntry> added;
    try {
        if (change.kind == Kind::AddEntry) {
            added.reserve(change.steps.size());
            for (const modMain::EditStep& step : change.steps)
                added.push_back({step.at, step.text, step.other});
            entryRows_->makeRoom(std::size_t(entryRows_->rowCount()) + added.size());
        } else if (change.kind == Kind::RemoveEntry) {
            entryRows_->makeRoom(document_.document().entrySlotsOf(selectedHeader()));
        } else if (change.swapsDocument() || change.kind == Kind::Restore) {
            // The rows may stand for what is gone (the document put aside, a
            // removed group): nothing of them is read, the lists are made anew.
            entryRows_->makeRoom(document_.document().entrySlotsOf(keptSelection_.header));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    leavingUnsaved_ = false;
    showMade(change, added);
    return true;
}

void frmMain::showMade(const modMain::Change& change, const std::vector<modMain::LiveEntry>& added) noexcept
{
    using Kind = modMain::Change::Kind;
    if (change.swapsDocument() || change.kind == Kind::Restore) {
        showKeptSelection(!change.swapsDocument());
        return;
    }
    const modMain::EditStep& first = change.steps.front();
    switch (change.kind) {
    case Kind::SetValue:
        entryRows_->showValue(first.at, first.text);
        break;
    case Kind::AddGroup:
        groupRows_->append(first.at.group);
        break;
    case Kind::AddEntry:
        entryRows_->append(added);
        break;
    case Kind::RemoveEntry:
        refreshEntries();  // within the room made for it
        break;
    case Kind::RemoveGroup:
        // The group's row goes, and with no header selected the entry list empties.
        if (const int row = groupRows_->rowOfGroup(first.at.group); row >= 0) {
            groupRows_->remove(row);
            lstGrupos->clearSelection();
        }
        break;
    case Kind::Import:
        for (const modMain::EditStep& step : change.steps) {
            if (step.kind == modMain::EditStep::Kind::AppendGroup)
                groupRows_->append(step.at.group);
        }
        entryRows_->clear();
        break;
    case Kind::Restore:
    case Kind::Merge:
    case Kind::Reload:
        break;
    }
}

void frmMain::followStep(const modMain::Change& change, modMain::ChangeEvent) noexcept
{
    leavingUnsaved_ = false;
    showKeptSelection(!change.swapsDocument());
}

void frmMain::keepSelection()
{
    keptSelection_ = {};
    const std::optional<int> row = selectedGroupRow();
    if (!row)
        return;
    keptSelection_.group = groupRows_->group(*row);
    keptSelection_.header = selectedHeader();
    keptSelection_.headerOccurrence = groupRows_->occurrenceOf(*row);
    if (const std::optional<int> entry = selectedEntryRow()) {
        keptSelection_.entry = entryRows_->text(*entry, 0);
        keptSelection_.entryOccurrence = entryRows_->occurrenceOf(*entry);
    }
}

void frmMain::showKeptSelection(bool sameDocument) noexcept
{
    // The lists as selecting the same group again would show them: its row
    // where it is still listed, else the first of its header.
    relisting_ = true;
    groupRows_->showLiveGroups();
    const KeptSelection& kept = keptSelection_;
    int row = sameDocument ? groupRows_->rowOfGroup(kept.group) : groupRows_->rowOf(kept.header, kept.headerOccurrence);
    if (row < 0)
        row = groupRows_->rowOf(kept.header);
    if (row >= 0)
        lstGrupos->setCurrentIndex(groupRows_->index(row, 0));
    entryRows_->showEntriesOf(row >= 0 ? kept.header : std::string_view());
    if (!sameDocument && row >= 0 && kept.entry) {
        int entry = entryRows_->rowOf(*kept.entry, kept.entryOccurrence);
        if (entry < 0)
            entry = entryRows_->rowOf(*kept.entry);
        if (entry >= 0)
            lstConteudo->setCurrentIndex(entryRows_->index(entry, 0));
    }
    relisting_ = false;
}
