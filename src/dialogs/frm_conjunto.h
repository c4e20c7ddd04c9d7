#pragma once

#include "form_kit/fixed_dialog.h"

namespace modMain {
class DocumentEditor;
}

class QGroupBox;
class QLabel;
class QPlainTextEdit;

// Applies a pasted block written like the file itself: a header line, its
// entry lines, further headers and their entries.
class frmConjunto : public FixedDialog {
    Q_OBJECT

public:
    frmConjunto(QWidget* parent, modMain::DocumentEditor& document);

    QLabel* Label1;
    QGroupBox* Frame1;
    QPlainTextEdit* txtSequencia;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancelar;

private:
    void importBlock();

    modMain::DocumentEditor& document_;
};
