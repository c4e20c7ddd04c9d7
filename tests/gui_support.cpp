#include "gui_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_largestAllocation = SIZE_MAX;

}  // namespace

#ifndef __SANITIZE_ADDRESS__
// The replacements pair malloc with free, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (size > g_largestAllocation)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
#endif

namespace gui_testing {

ScopedAllocationLimit::ScopedAllocationLimit(std::size_t bytes)
{
    g_largestAllocation = bytes;
}

ScopedAllocationLimit::~ScopedAllocationLimit()
{
    g_largestAllocation = SIZE_MAX;
}

namespace {

// Closes a modal window whatever it offers: a message box without an Escape
// button would refuse a plain close.
void dismiss(QWidget* modal)
{
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->done(QDialog::Rejected);
    else
        modal->close();
}

}  // namespace

ModalScript& ModalScript::then(Step step)
{
    steps_.push_back(std::move(step));
    return *this;
}

void ModalScript::run(const std::function<void()>& action)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || answered_.contains(modal))
            return;
        answered_.append(modal);
        if (steps_.empty()) {
            ADD_FAILURE() << "unexpected modal window: " << modal->windowTitle().toStdString();
            QTimer::singleShot(0, modal, [modal] { dismiss(modal); });
            return;
        }
        QTimer::singleShot(0, modal, [step = std::move(steps_.front()), modal] { step(modal); });
        steps_.pop_front();
    });
    poll.start();
    action();
    poll.stop();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal window(s) expected but not shown";
    steps_.clear();
}

ModalScript::Step pressInMessageBox(SeenMessage& seen, QMessageBox::StandardButton button)
{
    return [&seen, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            seen.title = QStringLiteral("<not a message box: %1>").arg(modal->windowTitle());
            modal->close();
            return;
        }
        seen = {box->windowTitle(),
                box->text(),
                box->icon(),
                box->standardButtons(),
                box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton,
                box->informativeText(),
                box->escapeButton() ? box->standardButton(box->escapeButton()) : QMessageBox::NoButton};
        if (QAbstractButton* pressed = box->button(button)) {
            QTest::mouseClick(pressed, Qt::LeftButton);
        } else {
            ADD_FAILURE() << "no such button in \"" << seen.text.toStdString() << '"';
            dismiss(box);
        }
    };
}

void expectMessage(const SeenMessage& seen, QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButton questionDefault)
{
    EXPECT_EQ(seen.icon, icon) << text.toStdString();
    EXPECT_EQ(seen.title, title);
    EXPECT_EQ(seen.text, text);
    if (icon == QMessageBox::Question) {
        EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No) << text.toStdString();
        EXPECT_EQ(seen.defaultButton, questionDefault) << text.toStdString();
    } else {
        EXPECT_EQ(seen.buttons, QMessageBox::Ok) << text.toStdString();
    }
}

ModalScript::Step answerFileDialog(const QString& path, QStringList* nameFilters)
{
    return [path, nameFilters](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* name = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!dialog || !name) {
            ADD_FAILURE() << "not a file dialog: " << modal->windowTitle().toStdString();
            modal->close();
            return;
        }
        if (nameFilters)
            *nameFilters = dialog->nameFilters();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    };
}

void enterText(QWidget* field, const QString& text)
{
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Delete);
    } else if (std::all_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; })) {
        QTest::keyClicks(field, text);
    } else {
        // What the keyboard cannot type arrives the way a user brings it: pasted.
        QApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }
}

ModalScript::Step answerInputBox(SeenInputBox& seen, const std::optional<QString>& text, bool confirm)
{
    return [&seen, text, confirm](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        auto* buttons = modal->findChild<QDialogButtonBox*>();
        QWidget* field = modal->findChild<QLineEdit*>();
        auto* lines = modal->findChild<QPlainTextEdit*>();
        if (lines && lines->isVisible())
            field = lines;
        if (!box || !field || !buttons) {
            ADD_FAILURE() << "not an input box: " << modal->windowTitle().toStdString();
            dismiss(modal);
            return;
        }
        seen = {box->windowTitle(), box->labelText(),
                field == lines ? lines->toPlainText().remove(u'\n') : box->textValue()};
        if (text) {
            if (field == lines)
                lines->selectAll();
            else
                qobject_cast<QLineEdit*>(field)->selectAll();
            enterText(field, *text);
        }
        QTest::mouseClick(buttons->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
    };
}

void chooseMenuItem(QMainWindow* window, const char* itemName)
{
    QMenuBar* bar = window->menuBar();
    auto* item = child<QAction>(window, itemName);
    QMenu* menu = nullptr;
    for (QAction* top : bar->actions()) {
        if (top->menu() && top->menu()->actions().contains(item))
            menu = top->menu();
    }
    if (!menu) {
        ADD_FAILURE() << itemName << " is in no menu";
        return;
    }
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); })) {
        ADD_FAILURE() << menu->objectName().toStdString() << " did not open";
        return;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    if (menu->isVisible())  // a disabled item leaves it open
        menu->close();
}

ScopedVariable::ScopedVariable(const char* name, const QByteArray& value)
    : name_(name)
    , wasSet_(qEnvironmentVariableIsSet(name))
    , value_(qgetenv(name))
{
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedVariable::~ScopedVariable()
{
    if (wasSet_)
        qputenv(name_, value_);
    else
        qunsetenv(name_);
}

namespace {

QString cell(const QAbstractItemView* list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}

}  // namespace

QStringList rowsOf(const QAbstractItemView* list)
{
    QStringList rows;
    for (int i = 0; i < list->model()->rowCount(); ++i) {
        QStringList columns;
        for (int column = 0; column < list->model()->columnCount(); ++column)
            columns.append(cell(list, i, column));
        rows.append(columns.join(u'='));
    }
    return rows;
}

std::optional<std::pair<int, int>> inkColumns(QWidget* widget, const QColor& colour)
{
    const QImage image = widget->grab().toImage();
    std::optional<std::pair<int, int>> columns;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() >= colour.red() / 2 && pixel.green() < 90 && pixel.blue() < 90)
                columns = {std::min(x, columns ? columns->first : x), std::max(x, columns ? columns->second : x)};
        }
    }
    return columns;
}

QStringList selectedRowsOf(const QAbstractItemView* list)
{
    QStringList rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.append(cell(list, index.row(), 0));
    return rows;
}

void clickRow(QAbstractItemView* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

void doubleClickRow(QAbstractItemView* list, int row)
{
    // A real double-click: the press selects the row, the double-click edits it.
    clickRow(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

}  // namespace gui_testing
