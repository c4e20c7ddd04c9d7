#include "form_kit/fixed_dialog.h"

#include "form_kit/form_layout.h"

#include <QKeyEvent>
#include <QPushButton>

FixedDialog::FixedDialog(QWidget* parent, const char* name, const QString& caption, const QRect& clientArea)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(clientArea.size());
}

void FixedDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
            focused->click();
        return;
    case Qt::Key_Escape:
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void FixedDialog::showEvent(QShowEvent* event)
{
    fitCaptions(this);
    QDialog::showEvent(event);
}

QPushButton* FixedDialog::button(const char* name, const QString& caption, const QRect& geometry)
{
    QPushButton* created = placed(new QPushButton(caption, this), name, geometry);
    created->setAutoDefault(false);  // a dialog's buttons would otherwise take Enter from its text boxes
    return created;
}
