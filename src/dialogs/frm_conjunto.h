#pragma once

#include "dialogs/fixed_dialog.h"

#include <string>

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
    // Whether every line of the block can be applied; tells the user why not.
    bool blockFits(const std::string& text);
    void applyBlock(const std::string& text);

    frmMain& main_;
};
