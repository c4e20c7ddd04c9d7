#include "dialogs/frm_novo_grupo.h"

#include "document/text_codec.h"
#include "main_window/form_style.h"
#include "main_window/frm_main.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

frmNovoGrupo::frmNovoGrupo(frmMain& main)
    : FixedDialog(&main, "frmNovoGrupo", QStringLiteral("Adicionar Grupo"), twips(0, 0, 5175, 1455))
    , main_(main)
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

    connect(cmbAdicionar, &QPushButton::clicked, this, &frmNovoGrupo::addGroup);
    connect(cmbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmNovoGrupo::addGroup()
{
    const QString header = u'[' + txtGrupo->text() + u']';
    if (!acceptLineText(this, header))
        return;
    // The header is compared with what the list shows, so a removed group's header is free again.
    for (int row = 0; row < main_.lstGrupos->count(); ++row) {
        if (main_.lstGrupos->item(row)->text() == header) {
            showInformation(this, QStringLiteral("Grupo já existente"),
                            QStringLiteral("Já existe um grupo com esse mesmo nome"));
            return;
        }
    }
    if (!main_.document().AppendGroup(*modMain::encodeText(header))) {
        showGroupLimit(this);
        return;
    }
    appendGroupRow(main_.lstGrupos, header);
    accept();
}
