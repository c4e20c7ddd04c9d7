// The two lists, following the document: rows made from the document's texts
// as each change is reported, kept until the next refresh. Running out of
// memory leaves the lists, the document and the history as they were: each
// list update is worked out whole before any row changes.
#include "main_window/frm_main.h"

#include "form_kit/messages.h"
#include "main_window/change_command.h"
#include "main_window/text_rows.h"

#include <QListView>
#include <QTableView>
#include <QUndoStack>

namespace {

std::vector<modMain::TextRef> liveHeaders(const modMain::Document& document)
{
    std::vector<modMain::TextRef> headers;
    headers.reserve(document.Groups.size());
    for (const modMain::GroupRecord& group : document.Groups) {
        if (group.Alive)
            headers.push_back(group.Header);
    }
    return headers;
}

}  // namespace

std::string frmMain::selectedHeader() const
{
    const QModelIndexList selected = lstGrupos->selectionModel()->selectedRows();
    return selected.isEmpty() ? std::string() : std::string(groupRows_->text(selected.first().row(), 0));
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
    entryRows_->fill(document_.document().liveEntriesOf(selectedHeader()));
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

void frmMain::listLiveHeaders()
{
    groupRows_->fill(liveHeaders(document_.document()));
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    lstGrupos->setCurrentIndex(QModelIndex());
}

void frmMain::relistKeepingSelection()
{
    const std::string header = selectedHeader();
    std::vector<modMain::TextRef> headers = liveHeaders(document_.document());
    std::vector<modMain::LiveEntry> entries = document_.document().liveEntriesOf(header);
    relisting_ = true;
    groupRows_->fill(std::move(headers));
    if (const int row = groupRows_->rowOf(header); row >= 0)
        lstGrupos->setCurrentIndex(groupRows_->index(row, 0));
    entryRows_->fill(std::move(entries));
    relisting_ = false;
}

void frmMain::showEntry(modMain::EntryPosition at)
{
    const modMain::Document& document = document_.document();
    const int header = groupRows_->rowOf(document.text(document.group(at.group).Header));
    if (lstGrupos->selectionModel()->isRowSelected(header))
        refreshEntries();
    else
        lstGrupos->setCurrentIndex(groupRows_->index(header, 0));
    const QModelIndex entry = entryRows_->index(entryRows_->rowOf(at), 0);
    lstConteudo->setCurrentIndex(entry);
    lstConteudo->scrollTo(entry);
    lstConteudo->setFocus();
}

void frmMain::stepHistory(bool back)
{
    historyStepFailed_ = false;
    if (back)
        history_->undo();
    else
        history_->redo();
    if (!historyStepFailed_)
        return;
    // The lists could not follow: the step is taken back, the history alone,
    // then the document, which tells nobody.
    const auto* command = static_cast<const ChangeCommand*>(history_->command(history_->index() - (back ? 0 : 1)));
    quiet_ = true;
    if (back)
        history_->redo();
    else
        history_->undo();
    quiet_ = false;
    const QSignalBlocker silent(&document_);
    if (back)
        document_.redo(command->change());
    else
        document_.undo(command->change());
    showRefusal(this, modMain::EditOutcome::OutOfMemory);
}

void frmMain::dropLastChange()
{
    const auto* command = static_cast<const ChangeCommand*>(history_->command(history_->index() - 1));
    quiet_ = true;
    history_->undo();
    quiet_ = false;
    const QSignalBlocker silent(&document_);
    document_.undo(command->change());
}

void frmMain::followChange(const modMain::Change& change, modMain::ChangeEvent event)
{
    if (quiet_)
        return;
    leavingUnsaved_ = false;
    if (event != modMain::ChangeEvent::Done) {
        try {
            relistKeepingSelection();
        } catch (const std::bad_alloc&) {
            historyStepFailed_ = true;
        }
        return;
    }
    history_->push(new ChangeCommand(document_, change, quiet_));
    try {
        followDone(change);
    } catch (const std::bad_alloc&) {
        // The history steps back alone; the document's editor takes the change back.
        quiet_ = true;
        history_->undo();
        quiet_ = false;
        throw;
    }
}

void frmMain::followDone(const modMain::Change& change)
{
    using Kind = modMain::Change::Kind;
    using Step = modMain::EditStep::Kind;
    switch (change.kind) {
    case Kind::SetValue:  // the edited row shows what was typed: the command sees to it
        break;
    case Kind::AddGroup:
        groupRows_->append({change.steps.front().text});
        break;
    case Kind::AddEntry: {
        std::vector<modMain::LiveEntry> added;
        added.reserve(change.steps.size());
        for (const modMain::EditStep& step : change.steps)
            added.push_back({step.at, step.text, step.other});
        entryRows_->append(added);
        break;
    }
    case Kind::RemoveEntry:
        refreshEntries();
        break;
    case Kind::RemoveGroup:
        // The selected row goes, whichever row of the header it was, and with
        // no header selected the entry list empties.
        if (const QModelIndexList selected = lstGrupos->selectionModel()->selectedRows(); !selected.isEmpty()) {
            groupRows_->remove(selected.first().row());
            lstGrupos->clearSelection();
        }
        break;
    case Kind::Import: {
        std::vector<modMain::TextRef> created;
        for (const modMain::EditStep& step : change.steps) {
            if (step.kind == Step::AppendGroup)
                created.push_back(step.text);
        }
        groupRows_->append(created);
        entryRows_->fill({});
        break;
    }
    }
}
