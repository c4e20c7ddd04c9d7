#include "dialogs/frm_entrada.h"

#include "document/document_editor.h"
#include "form_kit/form_layout.h"
#include "form_kit/frame_caption.h"
#include "form_kit/messages.h"
#include "form_kit/typed_text.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmEntrada::frmEntrada(QWidget* parent, modMain::DocumentEditor& document, std::string selectedHeader,
                       std::function<bool(std::string_view)> isShown)
    : FixedDialog(parent, "frmEntrada", QStringLiteral("Adicionar Entrada"), twips(0, 0, 5490, 1755))
    , document_(document)
    , selectedHeader_(std::move(selectedHeader))
    , isShown_(std::move(isShown))
{
    Frame1 = placed(new QGroupBox(QStringLiteral("Informações"), this), "Frame1", twips(60, 60, 5355, 1155));
    setFrameCaptionRed(Frame1);
    Label1 = placed(new QLabel(QStringLiteral("Parâmetro:"), Frame1), "Label1", twips(180, 360, 795, 195));
    txtParametro = placed(new QLineEdit(Frame1), "txtParametro", twips(180, 600, 3195, 345));
    Label2 = placed(new QLabel(QStringLiteral("Valor:"), Frame1), "Label2", twips(3540, 360, 795, 195));
    txtValor = placed(new QLineEdit(Frame1), "txtValor", twips(3540, 600, 1575, 345));
    // Each box is named after its caption, which shrinks its font where the system's needs more room.
    for (const auto& [caption, box] : {std::pair{Label1, txtParametro}, {Label2, txtValor}}) {
        fitText(caption);
        caption->setBuddy(box);
        box->setAccessibleName(caption->text().chopped(1));
    }
    cmbAdicionar = button("cmbAdicionar", QStringLiteral("Adicionar"), twips(3960, 1260, 1455, 435));
    cmbCancelar = button("cmbCancelar", QStringLiteral("Cancelar"), twips(2460, 1260, 1455, 435));

    setTabOrder(txtParametro, txtValor);
    setTabOrder(txtValor, cmbAdicionar);
    setTabOrder(cmbAdicionar, cmbCancelar);
    txtParametro->setFocus();

    connect(cmbAdicionar, &QPushButton::clicked, this, [this] { reportingOutOfMemory(this, [this] { addEntry(); }); });
    connect(cmbCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void frmEntrada::addEntry()
{
    const std::optional<EncodedEntry> entry = acceptEntry(this, txtParametro->text(), txtValor->text());
    if (!entry)
        return;
    // Names are compared with the rows the entry list shows.
    if (isShown_(entry->name)) {
        showInformation(this, QStringLiteral("Parâmetro já existente"),
                        QStringLiteral("Já existe um parâmetro com esse mesmo nome"));
        return;
    }
    // With no group selected there is nothing to add to, and nothing is said.
    showRefusal(this, document_.addEntry(selectedHeader_, entry->name, entry->value));
}
