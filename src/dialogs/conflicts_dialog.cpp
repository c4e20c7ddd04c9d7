#include "dialogs/conflicts_dialog.h"

#include "dialogs/difference_table.h"
#include "document/text_codec.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The sides' columns: the value before either side changed it, the file's, the pilot's.
enum Side { kBefore, kTheirs, kMine };

// A side of a conflict in words: the value, or what became of the entry or of its whole group.
QString sideText(const modMain::MergeConflict& conflict, const std::optional<std::string>& side, Side which)
{
    const bool wholeGroup = conflict.scope == modMain::MergeConflict::Scope::WholeGroup;
    if (which == kBefore) {
        if (wholeGroup)
            return QStringLiteral("(o grupo como estava)");
        return side ? modMain::decodeText(*side) : QStringLiteral("(não existia)");
    }
    if (!side)
        return wholeGroup ? QStringLiteral("(grupo removido)") : QStringLiteral("(removido)");
    return wholeGroup ? QStringLiteral("(grupo alterado)") : modMain::decodeText(*side);
}

}  // namespace

std::optional<std::vector<bool>> chooseConflictSides(QWidget* parent,
                                                     const std::vector<modMain::MergeConflict>& conflicts)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("conflitos"));
    dialog.setWindowTitle(QStringLiteral("Conflitos"));
    auto* table = new DifferenceTable(
        {QStringLiteral("Antes"), QStringLiteral("No arquivo"), QStringLiteral("Suas alterações")},
        DifferenceTable::Choice::OneSide, {kTheirs, kMine}, &dialog);
    table->setObjectName(QStringLiteral("lstConflitos"));
    table->setAccessibleName(dialog.windowTitle());
    std::vector<DifferenceTable::Row> rows;
    for (const modMain::MergeConflict& conflict : conflicts) {
        const bool wholeGroup = conflict.scope == modMain::MergeConflict::Scope::WholeGroup;
        rows.push_back({groupText(conflict.group),
                        wholeGroup ? QStringLiteral("(grupo inteiro)") : modMain::decodeText(conflict.name),
                        {sideText(conflict, conflict.base, kBefore), sideText(conflict, conflict.theirs, kTheirs),
                         sideText(conflict, conflict.mine, kMine)}});
    }
    table->setRows(rows, kMine);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Mesclar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("O arquivo e as suas alterações mudaram as mesmas entradas. "
                                                "Marque, em cada linha, o lado que fica."),
                                 &dialog));
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(720, 300);
    table->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<bool> mineWins;
    for (const int kept : table->keptSides())
        mineWins.push_back(kept == kMine);
    return mineWins;
}
