#include "dialogs/conflicts_dialog.h"

#include "document/text_codec.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { kGroup, kName, kTheirs, kMine };

// A side of a conflict as the table shows it: the value, or what became of
// the entry or of its whole group.
QString sideText(const modMain::MergeConflict& conflict, const std::optional<std::string>& side)
{
    if (!side)
        return QStringLiteral("(removido)");
    if (conflict.scope == modMain::MergeConflict::Scope::WholeGroup)
        return QStringLiteral("(alterado)");
    return modMain::decodeText(*side);
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidgetItem* sideCell(const QString& text, bool chosen)
{
    auto* item = cell(text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

std::optional<std::vector<bool>> chooseConflictSides(QWidget* parent,
                                                     const std::vector<modMain::MergeConflict>& conflicts)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("conflitos"));
    dialog.setWindowTitle(QStringLiteral("Conflitos"));
    auto* table = new QTableWidget(int(conflicts.size()), 4, &dialog);
    table->setObjectName(QStringLiteral("lstConflitos"));
    table->setAccessibleName(dialog.windowTitle());
    table->setHorizontalHeaderLabels({QStringLiteral("Grupo"), QStringLiteral("Parâmetro"),
                                      QStringLiteral("No arquivo"), QStringLiteral("Suas alterações")});
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < table->rowCount(); ++row) {
        const modMain::MergeConflict& conflict = conflicts[std::size_t(row)];
        table->setItem(row, kGroup, cell(modMain::decodeText(conflict.group)));
        table->setItem(row, kName,
                       cell(conflict.scope == modMain::MergeConflict::Scope::WholeGroup
                                ? QStringLiteral("(grupo inteiro)")
                                : modMain::decodeText(conflict.name)));
        table->setItem(row, kTheirs, sideCell(sideText(conflict, conflict.theirs), false));
        table->setItem(row, kMine, sideCell(sideText(conflict, conflict.mine), true));
    }
    // Each row keeps exactly one side: checking one side unchecks the other, and the other way round.
    QObject::connect(table, &QTableWidget::itemChanged, &dialog, [table](QTableWidgetItem* item) {
        if (item->column() != kTheirs && item->column() != kMine)
            return;
        QTableWidgetItem* other = table->item(item->row(), item->column() == kTheirs ? kMine : kTheirs);
        if (!other)
            return;
        const Qt::CheckState otherState = item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        if (other->checkState() != otherState)
            other->setCheckState(otherState);
    });
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setCurrentCell(0, kMine);

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
    dialog.resize(640, 300);
    table->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<bool> mineWins;
    mineWins.reserve(conflicts.size());
    for (int row = 0; row < table->rowCount(); ++row)
        mineWins.push_back(table->item(row, kMine)->checkState() == Qt::Checked);
    return mineWins;
}
