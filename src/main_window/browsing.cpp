// Showing the selected header's entries, editing a value, removing entries and
// groups. The lists hold texts only: the document is searched by those texts.
#include "main_window/frm_main.h"

#include "document/text_codec.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QTableView>

#include <limits>

namespace {

struct EntryPosition {
    int group;
    int entry;
};

// The first live entry named `name` within the live groups carrying `header`,
// the groups taken in position order.
std::optional<EntryPosition> firstEntryNamed(const modMain::Document& document, std::string_view header,
                                             std::string_view name)
{
    for (const int group : document.FindLiveGroups(header)) {
        if (const int entry = document.FindLiveEntry(group, name))
            return EntryPosition{group, entry};
    }
    return std::nullopt;
}

// The input box, asking for a value; nothing when cancelled. It takes a value of
// any length: a line edit cuts its text at 32767 characters unless told otherwise.
std::optional<QString> askValue(QWidget* parent, const QString& name, const QString& value)
{
    QInputDialog box(parent);
    box.setWindowTitle(QStringLiteral("Planora"));
    box.setLabelText(QStringLiteral("Digite o novo valor para ") + name);
    box.setInputMode(QInputDialog::TextInput);  // makes the line edit
    if (auto* field = box.findChild<QLineEdit*>())
        field->setMaxLength(std::numeric_limits<int>::max());
    box.setTextValue(value);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

}  // namespace

void frmMain::refreshEntries()
{
    const std::vector<std::int16_t> groups = document_.FindLiveGroups(selectedHeader(lstGrupos));
    std::size_t entrySlots = 0;
    for (const int group : groups)
        entrySlots += document_.Group(group).Names.size();
    std::vector<EntryRow> rows;
    rows.reserve(entrySlots);
    for (const int group : groups) {
        const modMain::GroupRecord& record = document_.Group(group);
        for (std::size_t k = 0; k < record.Names.size(); ++k) {
            if (record.EntryAlive[k])
                rows.push_back({record.Names[k], record.Values[k]});
        }
    }
    fillEntryRows(lstConteudo, std::move(rows));
}

void frmMain::editSelectedValue()
{
    const std::optional<int> row = selectedEntryRow(lstConteudo);
    if (!row)
        return;
    const std::string nameText = entryRowName(lstConteudo, *row);
    const QString name = modMain::decodeText(nameText);
    // A refused value comes back in the box as typed, to be mended.
    std::optional<QString> value = modMain::decodeText(entryRowValue(lstConteudo, *row));
    do {
        value = askValue(this, name, *value);
        if (!value)
            return;
    } while (!acceptEntry(this, name, *value));

    const modMain::TextRef stored = document_.store(*modMain::encodeText(*value));
    if (const auto found = firstEntryNamed(document_, selectedHeader(lstGrupos), nameText))
        document_.SetValue(found->group, found->entry, stored);
    setEntryRowValue(lstConteudo, *row, stored);
}

void frmMain::removeSelectedEntry()
{
    if (const std::optional<int> row = selectedEntryRow(lstConteudo)) {
        if (const auto found = firstEntryNamed(document_, selectedHeader(lstGrupos), entryRowName(lstConteudo, *row)))
            document_.RemoveEntry(found->group, found->entry);
    }
    refreshEntries();
}

void frmMain::removeSelectedGroup()
{
    const std::vector<std::int16_t> groups = document_.FindLiveGroups(selectedHeader(lstGrupos));
    if (groups.empty())
        return;
    document_.RemoveGroup(groups.front());
    removeSelectedGroupRow(lstGrupos);
}
