#pragma once

#include "dialogs/fixed_dialog.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace modMain {
class Document;
}

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
    // The first live group carrying each header, found in one pass over the
    // document rather than by a search for each header of the block.
    using HeaderIndex = std::unordered_map<std::string_view, int>;
    static HeaderIndex firstLiveGroups(const modMain::Document& document);

    void importBlock();
    // Whether every line of the block can be applied; tells the user why not.
    bool blockFits(const std::string& text, const HeaderIndex& groups);
    void applyBlock(const std::string& text, HeaderIndex& groups);

    frmMain& main_;
};
