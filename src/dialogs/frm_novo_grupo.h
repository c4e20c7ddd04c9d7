#pragma once

#include "form_kit/fixed_dialog.h"

#include <functional>
#include <string_view>

namespace modMain {
class DocumentEditor;
}

class QGroupBox;
class QLineEdit;

// Adds one empty group whose header is the typed name in brackets (or the
// name itself, typed with its brackets), unless the group list already shows
// that header, letter case aside (`isListed` tells).
class frmNovoGrupo : public FixedDialog {
    Q_OBJECT

public:
    frmNovoGrupo(QWidget* parent, modMain::DocumentEditor& document, std::function<bool(std::string_view)> isListed);

    QGroupBox* Frame1;
    QLineEdit* txtGrupo;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancel;

private:
    void addGroup();

    modMain::DocumentEditor& document_;
    std::function<bool(std::string_view)> isListed_;
};
