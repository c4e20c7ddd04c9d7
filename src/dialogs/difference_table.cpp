#include "dialogs/difference_table.h"

#include "document/text_codec.h"
#include "form_kit/whole_text_tooltips.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace {

// Columns are sized to their text, up to this width; a longer text shows whole on hover.
constexpr int kWidestColumn = 320;
constexpr int kMeasuredRows = 100;

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

QString groupText(const modMain::GroupName& group)
{
    const QString header = modMain::decodeText(group.header);
    return group.count > 1 ? QStringLiteral("%1 (%2º)").arg(header).arg(group.occurrence + 1) : header;
}

DifferenceTable::DifferenceTable(QStringList sideHeadings, Choice choice, std::vector<int> choosable, QWidget* parent)
    : QTableWidget(0, 2 + int(sideHeadings.size()), parent)
    , choice_(choice)
    , choosable_(std::move(choosable))
{
    setHorizontalHeaderLabels(QStringList{QStringLiteral("Grupo"), QStringLiteral("Parâmetro")} + sideHeadings);
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setItemDelegate(new WholeTextTooltips(this));
    horizontalHeader()->setStretchLastSection(true);
    // Sized to the text of the first rows: a thousand rows of differences are measured no slower than a hundred.
    horizontalHeader()->setResizeContentsPrecision(kMeasuredRows);
    connect(this, &QTableWidget::itemChanged, this, &DifferenceTable::followCheck);
}

void DifferenceTable::setRows(const std::vector<Row>& rows, int chosen)
{
    marking_ = true;
    setRowCount(int(rows.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const Row& text = rows[std::size_t(row)];
        setItem(row, 0, cell(text.group));
        setItem(row, 1, cell(text.name));
        for (int side = 0; side < text.sides.size(); ++side)
            setItem(row, columnOf(side), cell(text.sides[side]));
        if (choice_ == Choice::TakeOrLeave) {
            item(row, 0)->setFlags(item(row, 0)->flags() | Qt::ItemIsUserCheckable);
            item(row, 0)->setCheckState(Qt::Checked);
        } else {
            for (const int side : choosable_) {
                QTableWidgetItem* choosable = item(row, columnOf(side));
                choosable->setFlags(choosable->flags() | Qt::ItemIsUserCheckable);
                choosable->setCheckState(side == chosen ? Qt::Checked : Qt::Unchecked);
            }
        }
        showChoice(row);
    }
    marking_ = false;
    resizeColumnsToContents();
    for (int column = 0; column + 1 < columnCount(); ++column)
        setColumnWidth(column, std::min(columnWidth(column), kWidestColumn));
    if (rowCount() > 0)
        setCurrentCell(0, choice_ == Choice::TakeOrLeave ? 0 : columnOf(chosen));
}

void DifferenceTable::showChoice(int row)
{
    const auto mark = [](QTableWidgetItem* item, bool chosen) {
        QFont font = item->font();
        font.setBold(chosen);
        item->setFont(font);
        item->setData(Qt::ForegroundRole,
                      chosen ? QVariant() : QVariant(QPalette().color(QPalette::Disabled, QPalette::Text)));
    };
    if (choice_ == Choice::TakeOrLeave) {
        const bool taken = item(row, 0)->checkState() == Qt::Checked;
        for (int column = 0; column < columnCount(); ++column)
            mark(item(row, column), taken);
        return;
    }
    for (const int side : choosable_)
        mark(item(row, columnOf(side)), item(row, columnOf(side))->checkState() == Qt::Checked);
}

void DifferenceTable::followCheck(QTableWidgetItem* changed)
{
    if (marking_)
        return;
    marking_ = true;
    const int row = changed->row();
    // Each row keeps exactly one of its sides: checking one unchecks the
    // others; unchecking the one kept keeps the next.
    if (choice_ == Choice::OneSide) {
        const bool checked = changed->checkState() == Qt::Checked;
        bool nextKept = false;
        for (const int side : choosable_) {
            QTableWidgetItem* other = item(row, columnOf(side));
            if (other == changed)
                continue;
            other->setCheckState(!checked && !nextKept ? Qt::Checked : Qt::Unchecked);
            nextKept = true;
        }
    }
    showChoice(row);
    marking_ = false;
}

void DifferenceTable::keyPressEvent(QKeyEvent* event)
{
    const int row = currentRow();
    if (event->key() != Qt::Key_Space || row < 0) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    // Space: the row taken or left, or its next side kept.
    if (choice_ == Choice::TakeOrLeave) {
        QTableWidgetItem* check = item(row, 0);
        check->setCheckState(check->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        return;
    }
    const std::vector<int> kept = keptSides();
    const auto at = std::find(choosable_.begin(), choosable_.end(), kept[std::size_t(row)]);
    const int next = choosable_[std::size_t((at - choosable_.begin() + 1) % std::ptrdiff_t(choosable_.size()))];
    item(row, columnOf(next))->setCheckState(Qt::Checked);
}

std::vector<bool> DifferenceTable::taken() const
{
    std::vector<bool> taken;
    for (int row = 0; row < rowCount(); ++row)
        taken.push_back(item(row, 0)->checkState() == Qt::Checked);
    return taken;
}

std::vector<int> DifferenceTable::keptSides() const
{
    std::vector<int> kept;
    for (int row = 0; row < rowCount(); ++row) {
        int side = choosable_.front();
        for (const int choosable : choosable_) {
            if (item(row, columnOf(choosable))->checkState() == Qt::Checked)
                side = choosable;
        }
        kept.push_back(side);
    }
    return kept;
}
