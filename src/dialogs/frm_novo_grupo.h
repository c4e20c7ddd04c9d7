#pragma once

#include "dialogs/fixed_dialog.h"

class frmMain;
class QGroupBox;
class QLineEdit;

// Adds one empty group whose header is the typed name in brackets, unless the
// group list already shows that header.
class frmNovoGrupo : public FixedDialog {
    Q_OBJECT

public:
    explicit frmNovoGrupo(frmMain& main);

    QGroupBox* Frame1;
    QLineEdit* txtGrupo;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancel;

private:
    void addGroup();

    frmMain& main_;
};
