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

std::vector<std::int16_t> liveGroups(const modMain::Document& document)
{
    std::vector<std::int16_t> groups;
    groups.reserve(document.Groups.size());
    for (int position = 1; position <= document.GroupCount(); ++position) {
        if (document.group(position).Alive)
            groups.push_back(static_cast<std::int16_t>(position));
    }
    return groups;
}

}  // namespace

std::optional<int> frmMain::selectedGroupRow() const
{
    const QModelIndexList selected = lstGrupos->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first().row();
}

std::string frmMain::selectedHeader() const
{
    const std::optional<int> row = selectedGroupRow();
    return row ? std::string(groupRows_->text(*row, 0)) : std::string();
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
    groupRows_->fill(liveGroups(document_.document()));
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    lstGrupos->setCurrentIndex(QModelIndex());
}

void frmMain::relistKeepingSelection()
{
    const std::optional<int> selected = selectedGroupRow();
    const int group = selected ? groupRows_->group(*selected) : 0;
    const std::string header = selectedHeader();
    std::vector<std::int16_t> groups = liveGroups(document_.document());
    std::vector<modMain::LiveEntry> entries = document_.document().liveEntriesOf(header);
    relisting_ = true;
    groupRows_->fill(std::move(groups));
    // The same group's row where it is still listed, else the first of its header.
    int row = groupRows_->rowOfGroup(group);
    if (row < 0)
        row = groupRows_->rowOf(header);
    if (row >= 0)
        lstGrupos->setCurrentIndex(groupRows_->index(row, 0));
    entryRows_->fill(std::move(entries));
    relisting_ = false;
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
    case Kind::SetValue:
        entryRows_->showValue(change.steps.front().at, change.steps.front().text);
        break;
    case Kind::AddGroup:
        groupRows_->append({change.steps.front().at.group});
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
        // The group's row goes, and with no header selected the entry list empties.
        if (const int row = groupRows_->rowOfGroup(change.steps.front().at.group); row >= 0) {
            groupRows_->remove(row);
            lstGrupos->clearSelection();
        }
        break;
    case Kind::Import: {
        std::vector<std::int16_t> created;
        for (const modMain::EditStep& step : change.steps) {
            if (step.kind == Step::AppendGroup)
                created.push_back(step.at.group);
        }
        groupRows_->append(created);
        entryRows_->fill({});
        break;
    }
    }
}
