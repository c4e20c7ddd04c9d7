#include "dialogs/differences_dialog.h"

#include "document/document_editor.h"
#include "document/text_codec.h"
#include "form_kit/messages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString sideText(const modMain::Difference& difference, const std::optional<std::string>& value, bool present)
{
    if (value)
        return modMain::decodeText(*value);
    if (!present)
        return QStringLiteral("(não existe)");
    return QStringLiteral("(grupo inteiro, com %1 parâmetro%2)")
        .arg(difference.entries)
        .arg(difference.entries == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

std::vector<DifferenceTable::Row> differenceRows(const std::vector<modMain::Difference>& differences)
{
    using Kind = modMain::Difference::Kind;
    std::vector<DifferenceTable::Row> rows;
    rows.reserve(differences.size());
    for (const modMain::Difference& difference : differences) {
        const bool wholeGroup = difference.kind == Kind::GroupOnlyThen || difference.kind == Kind::GroupOnlyNow;
        rows.push_back({groupText(difference.group),
                        wholeGroup ? QStringLiteral("(grupo inteiro)") : modMain::decodeText(difference.name),
                        {sideText(difference, difference.then, difference.kind == Kind::GroupOnlyThen),
                         sideText(difference, difference.now, difference.kind == Kind::GroupOnlyNow)}});
    }
    return rows;
}

std::vector<modMain::Difference> takenDifferences(const std::vector<modMain::Difference>& differences,
                                                  const DifferenceTable& table)
{
    std::vector<modMain::Difference> taken;
    const std::vector<bool> checked = table.taken();
    for (std::size_t d = 0; d < differences.size(); ++d) {
        if (checked[d])
            taken.push_back(differences[d]);
    }
    return taken;
}

void applyDifferences(QWidget* parent, modMain::DocumentEditor& editor, const modMain::Document& then,
                      const QString& title, const QString& thenHeading)
{
    const std::vector<modMain::Difference> found = modMain::differences(then, editor.document());
    if (found.empty()) {
        showInformation(parent, title, QStringLiteral("Nenhuma diferença: o documento é igual ao arquivo."));
        return;
    }
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("comparar"));
    dialog.setWindowTitle(title);
    auto* table = new DifferenceTable({thenHeading, QStringLiteral("Agora")}, DifferenceTable::Choice::TakeOrLeave, {},
                                      &dialog);
    table->setObjectName(QStringLiteral("lstDiferencas"));
    table->setAccessibleName(title);
    table->setRows(differenceRows(found));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aplicar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("Marque as diferenças que o documento deve tomar do arquivo."), &dialog));
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(720, 400);
    table->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return;
    showRefusal(parent, editor.restore(then, takenDifferences(found, *table)));
}
