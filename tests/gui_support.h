#pragma once

#include "test_files.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>

class QAbstractItemView;
class QMainWindow;

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
    QString informativeText;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
};
ModalScript::Step pressInMessageBox(SeenMessage& seen, QMessageBox::StandardButton button = QMessageBox::Ok);

// A question offers Yes and No, with `questionDefault` the default; anything else offers OK alone.
void expectMessage(const SeenMessage& seen, QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButton questionDefault = QMessageBox::Yes);

// Types `path` into a file dialog's name field and presses Enter, or cancels
// the dialog when `path` is empty. Records the dialog's name filters.
ModalScript::Step answerFileDialog(const QString& path, QStringList* nameFilters = nullptr);

// Replaces the text of an input box (unless `text` is nothing), then presses
// OK or Cancel. A long text is shown in lines: what the box holds is that text
// without the line breaks.
struct SeenInputBox {
    QString title;
    QString prompt;
    QString prefilled;
};
ModalScript::Step answerInputBox(SeenInputBox& seen, const std::optional<QString>& text, bool confirm);

// Replaces the selection of a text field by `text`: typed when the keyboard
// can type it, pasted otherwise (line breaks, other scripts), deleted when empty.
void enterText(QWidget* field, const QString& text);

// Opens the menu of the menu bar that holds the item with the mouse and clicks the item.
void chooseMenuItem(QMainWindow* window, const char* item);

// Sets an environment variable (an empty value unsets it) and puts it back as
// it was when this goes out of scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray value_;
};

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

QStringList rowsOf(const QAbstractItemView* list);          // the columns joined by "="
QStringList selectedRowsOf(const QAbstractItemView* list);  // their first column
void clickRow(QAbstractItemView* list, int row);
// The first and last columns in which `widget`, as drawn, has pixels of a
// colour (antialiased edges count: as red as half of it, little green or
// blue); nothing when it has none.
std::optional<std::pair<int, int>> inkColumns(QWidget* widget, const QColor& colour);
void doubleClickRow(QAbstractItemView* list, int row);

// Runs out of memory on demand: while one lives, every allocation through
// operator new larger than `bytes` throws std::bad_alloc, as a full address
// space would, and the smaller ones a message box needs still succeed. Not in
// a build under AddressSanitizer, which has an allocator of its own.
class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(std::size_t bytes);
    ~ScopedAllocationLimit();
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;
};

using test_files::contentOf;
using test_files::writeFile;

}  // namespace gui_testing
