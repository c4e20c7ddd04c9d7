#pragma once

#include <QDialog>

class QPushButton;

// What the program's dialogs share: a fixed single border with a close box and
// no minimize or maximize box, and no default or cancel button. Enter presses
// only the button that has the focus (in a text box it presses nothing), and
// Escape closes nothing; the close box still closes the dialog.
class FixedDialog : public QDialog {
public:
    FixedDialog(QWidget* parent, const char* name, const QString& caption, const QRect& clientArea);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Its captions fitted to the desktop's font once its controls are all there.
    void showEvent(QShowEvent* event) override;

    QPushButton* button(const char* name, const QString& caption, const QRect& geometry);
};
