#pragma once

#include "dialogs/fixed_dialog.h"

class frmMain;
class QGroupBox;
class QLabel;
class QPlainTextEdit;

// Applies a pasted block written like the file itself: a header line, its
// entry lines, further headers and their entries. Each header selects the
// first live group carrying it, or creates one.
class frmConjunto : public FixedDialog {
    Q_OBJECT

public:
    explicit frmConjunto(frmMain& main);

    QLabel* Label1;
    QGroupBox* Frame1;
    QPlainTextEdit* txtSequencia;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancelar;

private:
    void importBlock();

    frmMain& main_;
};
