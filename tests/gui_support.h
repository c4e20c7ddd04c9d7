#pragma once

#include "test_files.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

class QAbstractItemView;
class QListView;
class QMainWindow;
class QTableView;

namespace gui_testing {

// Answers the modal windows that an action opens, in order: each step gets
// the next modal widget that appears. Steps run from their own timer so that a
// step may itself open further modal windows. A modal window with no step left
// is closed and reported, so that a test fails instead of hanging.
class ModalScript {
public:
    using Step = std::function<void(QWidget*)>;

    ModalScript& then(Step step);
    void run(const std::function<void()>& action);

private:
    std::deque<Step> steps_;
    QList<QPointer<QWidget>> answered_;
};

// What a message box showed.
struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};
ModalScript::Step pressInMessageBox(SeenMessage& seen, QMessageBox::StandardButton button = QMessageBox::Ok);

// A question offers Yes and No with Yes the default; anything else offers OK alone.
void expectMessage(const SeenMessage& seen, QMessageBox::Icon icon, const QString& title, const QString& text);

// Types `path` into a file dialog's name field and presses Enter, or cancels
// the dialog when `path` is empty. Records the dialog's name filters.
ModalScript::Step answerFileDialog(const QString& path, QStringList* nameFilters = nullptr);

// Replaces the text of an input box, then presses OK or Cancel.
struct SeenInputBox {
    QString title;
    QString prompt;
    QString prefilled;
};
ModalScript::Step answerInputBox(SeenInputBox& seen, const QString& text, bool confirm);

// Replaces the selection of a text field by `text`: typed when the keyboard
// can type it, pasted otherwise (line breaks, other scripts), deleted when empty.
void enterText(QWidget* field, const QString& text);

// Opens a menu of the menu bar with the mouse and clicks one of its items.
void chooseMenuItem(QMainWindow* window, const char* menu, const char* item);

// The child of `parent` with this object name and type. When there is none,
// the test fails and gets a detached stand-in, so that it goes on to its end
// instead of crashing the whole test program.
template <typename T>
T* child(QObject* parent, const char* name)
{
    if (T* found = parent->findChild<T*>(QString::fromLatin1(name)))
        return found;
    ADD_FAILURE() << "no " << name;
    static T* const standIn = new T;  // lives as long as the program
    return standIn;
}

QStringList rowsOf(const QListView* list);
QStringList rowsOf(const QTableView* list);  // "name=value"
QStringList selectedRowsOf(const QAbstractItemView* list);  // their first column
void clickRow(QAbstractItemView* list, int row);
void doubleClickRow(QAbstractItemView* list, int row);

using test_files::contentOf;
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace gui_testing
