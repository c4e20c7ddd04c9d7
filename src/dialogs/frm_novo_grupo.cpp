#include "dialogs/frm_novo_grupo.h"

#include "document/document_editor.h"
#include "form_kit/form_layout.h"
#include "form_kit/frame_caption.h"
#include "form_kit/messages.h"
#include "form_kit/typed_text.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

frmNovoGrupo::frmNovoGrupo(QWidget* parent, modMain::DocumentEditor& document,
                           std::function<bool(std::string_view)> isListed)
    : FixedDialog(parent, "frmNovoGrupo", QStringLiteral("Adicionar Grupo"), twips(0, 0, 5175, 1455))
    , document_(document)
    , isListed_(std::move(isListed))
{
    Frame1 = placed(new QGroupBox(QStringLiteral("Digite o nome do grupo"), this), "Frame1", twips(60, 60, 5055, 855));
    setFrameCaptionRed(Frame1);
    txtGrupo = placed(new QLineEdit(Frame1), "txtGrupo", twips(180, 300, 4635, 315));
    txtGrupo->setAccessibleName(Frame1->title());
    cmbAdicionar = button("cmbAdicionar", QStringLiteral("Adicionar"), twips(3780, 960, 1335, 435));
    cmbCancel = button("cmbCancel", QStringLiteral("Cancelar"), twips(2400, 960, 1335, 435));

    setTabOrder(txtGrupo, cmbAdicionar);
    setTabOrder(cmbAdicionar, cmbCancel);
    txtGrupo->setFocus();

    connect(cmbAdicionar, &QPushButton::clicked, this, [this] { reportingOutOfMemory(this, [this] { addGroup(); }); });
    connect(cmbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmNovoGrupo::addGroup()
{
    // A name typed with its brackets is the header itself.
    const QString typed = txtGrupo->text();
    const bool bracketed = typed.size() >= 2 && typed.startsWith(u'[') && typed.endsWith(u']');
    const std::optional<std::string> header = acceptLineText(this, bracketed ? typed : u'[' + typed + u']');
    if (!header)
        return;
    // Compared with what the list shows, so a removed group's header is free again.
    if (isListed_(*header)) {
        showInformation(this, QStringLiteral("Grupo já existente"),
                        QStringLiteral("Já existe um grupo com esse mesmo nome"));
        return;
    }
    const modMain::EditOutcome outcome = document_.addGroup(*header);
    showRefusal(this, outcome);
    if (outcome == modMain::EditOutcome::Done)
        accept();
}
