#pragma once

#include "document/alignment.h"

#include <QStringList>
#include <QTableWidget>

#include <vector>

// One table for the differences between two states of the file and for the
// conflicts of a merge: a row each, naming its group (a repeated header by
// its occurrence, "[DISPLAY] (2º)"), its parameter ("(grupo inteiro)" for a
// whole group) and a text for each side; columns sized to their text, the
// whole text of a cell on hover. Each row makes a choice, plainly marked (the
// chosen in bold and checked, the rest greyed): in a comparison whether the
// difference is taken, all at first; in a conflict which of its sides stays.
// Space changes the current row's choice; Enter is left to the dialog.
class DifferenceTable : public QTableWidget {
    Q_OBJECT

public:
    enum class Choice { TakeOrLeave, OneSide };

    struct Row {
        QString group;
        QString name;
        QStringList sides;  // a text for each side's heading
    };

    // `sideHeadings`: the headings of the sides' columns, after Grupo and
    // Parâmetro. `choosable`: OneSide, the sides (from 0) a row chooses among.
    DifferenceTable(QStringList sideHeadings, Choice choice, std::vector<int> choosable, QWidget* parent);

    // The rows, each chosen at first: taken, or keeping the side `chosen`.
    void setRows(const std::vector<Row>& rows, int chosen = 0);

    // For each row, whether it is taken (TakeOrLeave), or the side it keeps (OneSide).
    std::vector<bool> taken() const;
    std::vector<int> keptSides() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int columnOf(int side) const { return 2 + side; }
    // Marks the choice of a row as its cells' checks say.
    void showChoice(int row);
    void followCheck(QTableWidgetItem* item);

    Choice choice_;
    std::vector<int> choosable_;
    bool marking_ = false;  // the table itself is changing checks
};

// A group's header as the table shows it.
QString groupText(const modMain::GroupName& group);
