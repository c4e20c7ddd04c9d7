#include "dialogs/frm_novo_grupo.h"

#include "document/text_codec.h"
#include "main_window/form_style.h"
#include "main_window/frm_main.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QGroupBox>
#include <QLineEdit>
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
    const std::string headerText = *modMain::encodeText(header);
    if (hasGroupRow(main_.lstGrupos, headerText)) {
        showInformation(this, QStringLiteral("Grupo já existente"),
                        QStringLiteral("Já existe um grupo com esse mesmo nome"));
        return;
    }
    modMain::Document& document = main_.document();
    const std::optional<std::int16_t> added = document.AppendGroup(headerText);
    if (!added) {
        showGroupLimit(this);
        return;
    }
    appendGroupRow(main_.lstGrupos, document.Group(*added).Header);
    accept();
}
