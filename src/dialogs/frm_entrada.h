#pragma once

#include "form_kit/fixed_dialog.h"

#include <functional>
#include <string>
#include <string_view>

namespace modMain {
class DocumentEditor;
}

class QGroupBox;
class QLabel;
class QLineEdit;

// Adds an entry to every live group carrying the selected header, unless the
// entry list already shows its name, letter case aside (`isShown` tells). Stays open for the next entry.
class frmEntrada : public FixedDialog {
    Q_OBJECT

public:
    frmEntrada(QWidget* parent, modMain::DocumentEditor& document, std::string selectedHeader,
               std::function<bool(std::string_view)> isShown);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* txtParametro;
    QLabel* Label2;
    QLineEdit* txtValor;
    QPushButton* cmbAdicionar;
    QPushButton* cmbCancelar;

private:
    void addEntry();

    modMain::DocumentEditor& document_;
    const std::string selectedHeader_;
    std::function<bool(std::string_view)> isShown_;
};
