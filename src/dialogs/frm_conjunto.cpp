#include "dialogs/frm_conjunto.h"

#include "document/document_editor.h"
#include "document/reader.h"
#include "form_kit/form_layout.h"
#include "form_kit/frame_caption.h"
#include "form_kit/messages.h"
#include "form_kit/typed_text.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmConjunto::frmConjunto(QWidget* parent, modMain::DocumentEditor& document)
    : FixedDialog(parent, "frmConjunto", QStringLiteral("Adicionar conjunto"), twips(0, 0, 5925, 4710))
    , document_(document)
{
    Label1 = placedLabel(this, "Label1",
                         QStringLiteral("Cole no espaço abaixo a sequência de propriedades. Cada linha "
                                        "corresponde a um parâmetro e um valor. Ex: A primeira linha deve ser "
                                        "o grupo [grupo] e depois vem as propriedades \"PARM1=VAL1\",  "
                                        "\"PARM2=VAL2\" e assim por diante."),
                         twips(60, 120, 5775, 735));
    Frame1 = placed(new QGroupBox(QStringLiteral("Cole aqui a sua sequência"), this), "Frame1",
                    twips(60, 960, 5775, 3135));
    setFrameCaptionRed(Frame1);
    txtSequencia = placed(new QPlainTextEdit(Frame1), "txtSequencia", twips(240, 480, 5295, 2475));
    txtSequencia->setAccessibleName(Frame1->title());
    txtSequencia->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSequencia->setTabChangesFocus(true);
    cmbAdicionar = button("cmbAdicionar", QStringLiteral("Adicionar"), twips(4260, 4200, 1575, 435));
    cmbCancelar = button("cmbCancelar", QStringLiteral("Cancelar"), twips(2640, 4200, 1575, 435));

    setTabOrder(txtSequencia, cmbAdicionar);
    setTabOrder(cmbAdicionar, cmbCancelar);
    txtSequencia->setFocus();

    connect(cmbAdicionar, &QPushButton::clicked, this,
            [this] { reportingOutOfMemory(this, [this] { importBlock(); }); });
    connect(cmbCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void frmConjunto::importBlock()
{
    // The box gains a line break at its end, which the user sees; it closes the last line.
    txtSequencia->moveCursor(QTextCursor::End);
    txtSequencia->insertPlainText(QStringLiteral("\n"));
    const std::optional<std::string> block = acceptBlockText(this, txtSequencia->toPlainText());
    if (!block)
        return;
    const modMain::ImportOutcome imported = document_.importBlock(*block);
    if (imported.outcome == modMain::EditOutcome::UnreadableLine) {
        showInformation(this, QStringLiteral("Linha inválida"), modMain::unreadableLineReason(imported.line));
        return;
    }
    showRefusal(this, imported.outcome);
    if (imported.outcome == modMain::EditOutcome::Done || imported.outcome == modMain::EditOutcome::Unchanged)
        accept();
}
