// The two lists, following the document: rows made from the document's texts
// as each change is reported, kept until the next refresh.
#include "main_window/frm_main.h"

#include "main_window/change_command.h"
#include "main_window/text_rows.h"

#include <QListView>
#include <QTableView>
#include <QUndoStack>

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

void frmMain::listLiveHeaders()
{
    const modMain::Document& document = document_.document();
    std::vector<modMain::TextRef> headers;
    headers.reserve(document.Groups.size());
    for (const modMain::GroupRecord& group : document.Groups) {
        if (group.Alive)
            headers.push_back(group.Header);
    }
    groupRows_->fill(std::move(headers));
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    lstGrupos->setCurrentIndex(QModelIndex());
}

void frmMain::relistKeepingSelection()
{
    const std::string header = selectedHeader();
    listLiveHeaders();
    if (const int row = groupRows_->rowOf(header); row >= 0)
        lstGrupos->setCurrentIndex(groupRows_->index(row, 0));  // refreshes the entries
    else
        refreshEntries();
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

void frmMain::followChange(const modMain::Change& change, modMain::ChangeEvent event)
{
    leavingUnsaved_ = false;
    if (event == modMain::ChangeEvent::Done) {
        history_->push(new ChangeCommand(document_, change));
    } else {
        relistKeepingSelection();
        return;
    }
    using Kind = modMain::Change::Kind;
    using Step = modMain::EditStep::Kind;
    switch (change.kind) {
    case Kind::SetValue:  // the edited row shows what was typed: the command sees to it
        break;
    case Kind::AddGroup:
        groupRows_->append(change.steps.front().text);
        break;
    case Kind::AddEntry:
        for (const modMain::EditStep& step : change.steps)
            entryRows_->append({step.at, step.text, step.other});
        break;
    case Kind::RemoveEntry:
        refreshEntries();
        break;
    case Kind::RemoveGroup:
        // The selected row goes, whichever row of the header it was; the removed
        // group's entries stay listed until the next refresh.
        if (const QModelIndexList selected = lstGrupos->selectionModel()->selectedRows(); !selected.isEmpty()) {
            groupRows_->remove(selected.first().row());
            lstGrupos->clearSelection();
        }
        break;
    case Kind::Import:
        entryRows_->fill({});
        for (const modMain::EditStep& step : change.steps) {
            if (step.kind == Step::AppendGroup)
                groupRows_->append(step.text);
        }
        break;
    }
}
