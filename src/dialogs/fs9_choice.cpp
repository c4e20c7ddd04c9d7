#include "dialogs/fs9_choice.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

std::optional<qsizetype> chooseFS9File(QWidget* parent, const QList<std::pair<QString, QDateTime>>& files)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("fs9Choice"));
    dialog.setWindowTitle(QStringLiteral("Escolha o fs9.cfg"));
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("fs9Files"));
    list->setHeaderLabels({QStringLiteral("Arquivo"), QStringLiteral("Alterado em")});
    list->setRootIsDecorated(false);
    list->setAccessibleName(dialog.windowTitle());
    for (const auto& [path, modified] : files)
        new QTreeWidgetItem(list, {QDir::toNativeSeparators(path), modified.toString(u"dd/MM/yyyy HH:mm:ss")});
    list->setCurrentItem(list->topLevelItem(0));
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(640, 220);
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return std::nullopt;
    return list->indexOfTopLevelItem(list->currentItem());
}
