#pragma once

#include <QStyledItemDelegate>

// Draws a list's cells as usual, and shows the whole text of a cell that its
// column cuts short as the cell's tooltip.
class WholeTextTooltips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
