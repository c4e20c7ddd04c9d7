#include "dialogs/frm_entrada.h"

#include "document/text_codec.h"
#include "main_window/form_style.h"
#include "main_window/frm_main.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

frmEntrada::frmEntrada(frmMain& main)
    : FixedDialog(&main, "frmEntrada", QStringLiteral("Adicionar Entrada"), twips(0, 0, 5490, 1755))
    , main_(main)
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

    connect(cmbAdicionar, &QPushButton::clicked, this, &frmEntrada::addEntry);
    connect(cmbCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void frmEntrada::addEntry()
{
    const QString name = txtParametro->text();
    const QString value = txtValor->text();
    if (!acceptEntry(this, name, value))
        return;
    // Names are compared with the rows the entry list shows.
    const std::string nameText = *modMain::encodeText(name);
    if (hasEntryRowNamed(main_.lstConteudo, nameText)) {
        showInformation(this, QStringLiteral("Parâmetro já existente"),
                        QStringLiteral("Já existe um parâmetro com esse mesmo nome"));
        return;
    }

    modMain::Document& document = main_.document();
    const std::vector<std::int16_t> groups = document.FindLiveGroups(selectedHeader(main_.lstGrupos));
    // Every group of the header takes the entry, or none does.
    if (std::any_of(groups.begin(), groups.end(),
                    [&](int group) { return document.Group(group).EntryCount() == modMain::kMaxSlots; })) {
        showEntryLimit(this);
        return;
    }
    const std::string valueText = *modMain::encodeText(value);
    for (const int group : groups) {
        const std::size_t added = std::size_t(*document.AppendEntry(group, nameText, valueText) - 1);
        const modMain::GroupRecord& record = document.Group(group);
        appendEntryRow(main_.lstConteudo, {record.Names[added], record.Values[added]});
    }
}
