#pragma once

#include "form_kit/fixed_dialog.h"

class QGroupBox;
class QLabel;

// The program's name, icon and description, who made it, what it was built
// with and how many lines of source it has.
class frmSobre : public FixedDialog {
    Q_OBJECT

public:
    explicit frmSobre(QWidget* parent);

    QLabel* Image1;
    QLabel* Label1;
    QGroupBox* Frame1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* cmbOK;
};
