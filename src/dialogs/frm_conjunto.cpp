#include "dialogs/frm_conjunto.h"

#include "document/line_syntax.h"
#include "document/text_codec.h"
#include "main_window/form_style.h"
#include "main_window/frm_main.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmConjunto::frmConjunto(frmMain& main)
    : FixedDialog(&main, "frmConjunto", QStringLiteral("Adicionar conjunto"), twips(0, 0, 5925, 4710))
    , main_(main)
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

    connect(cmbAdicionar, &QPushButton::clicked, this, &frmConjunto::importBlock);
    connect(cmbCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void frmConjunto::importBlock()
{
    // The box gains a line break at its end, which the user sees; it closes the last line.
    txtSequencia->moveCursor(QTextCursor::End);
    txtSequencia->insertPlainText(QStringLiteral("\n"));
    const QString block = txtSequencia->toPlainText();
    if (!acceptBlockText(this, block))
        return;
    // A block goes in whole or not at all: every line is checked before any is applied.
    const std::string text = *modMain::encodeText(block);
    HeaderIndex groups = firstLiveGroups(main_.document());
    if (!blockFits(text, groups))
        return;
    applyBlock(text, groups);
    accept();
}

frmConjunto::HeaderIndex frmConjunto::firstLiveGroups(const modMain::Document& document)
{
    HeaderIndex first;
    first.reserve(std::size_t(document.GroupCount()));
    for (int position = 1; position <= document.GroupCount(); ++position) {
        if (const modMain::GroupRecord& group = document.Group(position); group.Alive)
            first.try_emplace(document.text(group.Header), position);
    }
    return first;
}

bool frmConjunto::blockFits(const std::string& text, const HeaderIndex& groups)
{
    const modMain::Document& document = main_.document();
    // The entry count each header of the block leads to once the block is in.
    std::unordered_map<std::string_view, int> entryCounts;
    int newGroups = 0;
    int* target = nullptr;
    modMain::ConfigLines lines(text);
    modMain::ConfigLine line;
    while (lines.next(line)) {
        if (line.kind == modMain::LineKind::Header) {
            auto [slot, isNew] = entryCounts.try_emplace(line.text, 0);
            if (isNew) {
                const auto live = groups.find(line.text);
                if (live == groups.end())
                    ++newGroups;
                else
                    slot->second = document.Group(live->second).EntryCount();
            }
            target = &slot->second;
        } else if (!target) {
            showInformation(this, QStringLiteral("Grupo Inválido"),
                            QStringLiteral("A primeira linha deve ser obrigatóriamente o grupo ao qual as "
                                           "propriedades pertencem. Ex [grupo1]"));
            return false;
        } else if (line.kind == modMain::LineKind::Entry && ++*target > modMain::kMaxSlots) {
            showEntryLimit(this);
            return false;
        }
    }
    if (document.GroupCount() + newGroups > modMain::kMaxSlots) {
        showGroupLimit(this);
        return false;
    }
    return true;
}

void frmConjunto::applyBlock(const std::string& text, HeaderIndex& groups)
{
    modMain::Document& document = main_.document();
    modMain::ConfigLines lines(text);
    modMain::ConfigLine line;
    int target = 0;  // the group of the last header line
    while (lines.next(line)) {
        if (line.kind == modMain::LineKind::Header) {
            clearEntryRows(main_.lstConteudo);
            if (const auto live = groups.find(line.text); live != groups.end()) {
                target = live->second;
            } else {
                target = *document.AppendGroup(line.text);
                appendGroupRow(main_.lstGrupos, document.Group(target).Header);
                groups.emplace(line.text, target);
            }
        } else if (line.kind == modMain::LineKind::Entry) {
            document.AppendEntry(target, line.name, line.value);
        }
    }
}
