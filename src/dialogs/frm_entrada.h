#pragma once

#include "dialogs/fixed_dialog.h"

class frmMain;
class QGroupBox;
class QLabel;
class QLineEdit;

// Adds an entry to every live group carrying the selected header, unless the
// entry list already shows its name. Stays open for the next entry.
class frmEntrada : public FixedDialog {
    Q_OBJECT

public:
    explicit frmEntrada(frmMain& main);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* txtParametro;
    QLabel* Label2;
    QLineEdit* txtValor;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancelar;

private:
    void addEntry();

    frmMain& main_;
};
