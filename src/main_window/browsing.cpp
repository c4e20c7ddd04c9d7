// Showing the selected header's entries, editing a value, removing entries and
// groups. The lists hold texts only: the document is searched by those texts.
#include "main_window/frm_main.h"

#include "document/text_codec.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QInputDialog>
#include <QListWidget>
#include <QTreeWidget>

namespace {

struct EntryPosition {
    int group;
    int entry;
};

// The first live entry named `name` within the live groups carrying `header`,
// the groups taken in position order.
std::optional<EntryPosition> firstEntryNamed(const modMain::Document& document, const QString& header,
                                             const QString& name)
{
    const std::optional<std::string> headerText = modMain::encodeText(header);
    const std::optional<std::string> nameText = modMain::encodeText(name);
    if (!headerText || !nameText)
        return std::nullopt;
    for (const int group : document.FindLiveGroups(*headerText)) {
        if (const int entry = document.FindLiveEntry(group, *nameText))
            return EntryPosition{group, entry};
    }
    return std::nullopt;
}

QTreeWidgetItem* selectedRow(const QTreeWidget* entries)
{
    const QList<QTreeWidgetItem*> selected = entries->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

}  // namespace

void frmMain::refreshEntries()
{
    std::vector<EntryRow> rows;
    if (const std::optional<std::string> header = modMain::encodeText(selectedHeader(lstGrupos))) {
        for (const int group : document_.FindLiveGroups(*header)) {
            const modMain::GroupRecord& record = document_.Group(group);
            for (int entry = 1; entry <= record.EntryCount(); ++entry) {
                if (record.EntryAlive[static_cast<std::size_t>(entry - 1)])
                    rows.emplace_back(modMain::decodeText(document_.Name(group, entry)),
                                      modMain::decodeText(document_.Value(group, entry)));
            }
        }
    }
    fillEntryRows(lstConteudo, rows);
}

void frmMain::editSelectedValue()
{
    QTreeWidgetItem* row = selectedRow(lstConteudo);
    if (!row)
        return;
    const QString name = row->text(0);
    // A refused value comes back in the box as typed, to be mended.
    QString value = row->text(1);
    for (;;) {
        bool confirmed = false;
        value = QInputDialog::getText(this, QStringLiteral("Planora"), QStringLiteral("Digite o novo valor para ") + name,
                                      QLineEdit::Normal, value, &confirmed);
        if (!confirmed)
            return;
        if (acceptEntry(this, name, value))
            break;
    }
    if (const auto found = firstEntryNamed(document_, selectedHeader(lstGrupos), name))
        document_.SetValue(found->group, found->entry, *modMain::encodeText(value));
    row->setText(1, value);
}

void frmMain::removeSelectedEntry()
{
    if (const QTreeWidgetItem* row = selectedRow(lstConteudo)) {
        if (const auto found = firstEntryNamed(document_, selectedHeader(lstGrupos), row->text(0)))
            document_.RemoveEntry(found->group, found->entry);
    }
    refreshEntries();
}

void frmMain::removeSelectedGroup()
{
    const std::optional<std::string> header = modMain::encodeText(selectedHeader(lstGrupos));
    if (!header)
        return;
    const std::vector<std::int16_t> groups = document_.FindLiveGroups(*header);
    if (groups.empty())
        return;
    document_.RemoveGroup(groups.front());
    removeSelectedGroupRow(lstGrupos);
}
