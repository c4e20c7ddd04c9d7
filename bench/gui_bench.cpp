// The main window's commands on the largest documents, offscreen: each timed
// from the user's action until the window has handled it.
#include "bench_util.h"

#include "dialogs/frm_conjunto.h"
#include "dialogs/frm_entrada.h"
#include "document/document_editor.h"
#include "document/document_file.h"
#include "document/text_codec.h"
#include "main_window/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace bench {
namespace {

constexpr int kRuns = 7;
constexpr double kFrameMs = 16;

// Runs the command, lets the window lay itself out and paint, and returns.
template <typename Command>
void handled(Command&& command)
{
    command();
    QApplication::processEvents();
}

// A command that ends in a modal window: the time runs until the window is up,
// then `answer` closes it.
template <typename Command>
double timeUntilModal(Command&& command, const std::function<void(QWidget*)>& answer)
{
    std::chrono::steady_clock::time_point shown;
    QTimer::singleShot(0, [&] {
        shown = std::chrono::steady_clock::now();
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
    });
    const auto start = std::chrono::steady_clock::now();
    command();
    return std::chrono::duration<double, std::milli>(shown - start).count();
}

void printRow(const char* action, double ms)
{
    std::printf("  %-40s %8.2f ms  %5.2fx of a frame\n", action, ms, ms / kFrameMs);
}

void selectRow(QAbstractItemView* list, int row)
{
    list->setCurrentIndex(list->model()->index(row, 0));
}

}  // namespace

void runWindowBenchmark(const std::vector<Sample>& samples)
{
    std::printf("\nMain window, offscreen: median milliseconds and their ratio to one 60 Hz frame (16 ms)\n");
    for (const Sample& sample : samples) {
        if (!sample.inWindow)
            continue;
        modMain::DocumentEditor editor;
        const modMain::Document& document = editor.document();
        modMain::DocumentFile file(editor);
        frmMain window(file);
        window.show();
        QApplication::processEvents();
        std::printf("%s\n", qPrintable(sample.label));

        const auto load = [&] { handled([&] { window.AbrirFS9(sample.path); }); };
        printRow("open (file to groups listed)", medianMs(kRuns, load));

        // Each run selects another row, or the same one again after clearing it.
        const int rows = window.lstGrupos->model()->rowCount();
        int next = 0;
        printRow("select a group (refresh)",
                 medianMs(
                     kRuns, [&] { handled([&] { window.lstGrupos->clearSelection(); }); },
                     [&] { handled([&] { selectRow(window.lstGrupos, (rows / 2 + next++) % rows); }); }));

        printRow("remove an entry", medianMs(
                                        kRuns, [&] { selectRow(window.lstConteudo, 0); },
                                        [&] { handled([&] { window.cmbRemover->click(); }); }));

        // From the double-click to the value stored and shown, the input box confirmed at once.
        printRow("edit a value",
                 medianMs(
                     kRuns, [&] { selectRow(window.lstConteudo, 0); },
                     [&] {
                         timeUntilModal(
                             [&] {
                                 handled([&] {
                                     emit window.lstConteudo->doubleClicked(window.lstConteudo->currentIndex());
                                 });
                             },
                             [](QWidget* box) { static_cast<QDialog*>(box)->accept(); });
                     }));

        // A pasted block of a header and 30 entries, from Adicionar to the dialog closed: a new
        // group where there is room for one, else more entries for the first.
        QString block = document.GroupCount() < modMain::kMaxSlots
                            ? QStringLiteral("[PASTED]\n")
                            : modMain::decodeText(document.text(document.group(1).Header)) + u'\n';
        for (int i = 1; i <= 30; ++i)
            block += QStringLiteral("Pasted_%1=value\n").arg(i);
        std::unique_ptr<frmConjunto> import;
        printRow("import a block of 30 entries", medianMs(
                                                     kRuns,
                                                     [&] {
                                                         load();
                                                         import = std::make_unique<frmConjunto>(&window, editor);
                                                         import->txtSequencia->setPlainText(block);
                                                     },
                                                     [&] { handled([&] { import->cmbAdicionar->click(); }); }));
        import.reset();

        std::vector<double> saves;
        for (int i = 0; i < kRuns; ++i)
            saves.push_back(timeUntilModal([&] { window.menSalvar->trigger(); }, [](QWidget* box) { box->close(); }));
        std::sort(saves.begin(), saves.end());
        printRow("save (until its message shows)", saves[saves.size() / 2]);

        // The group's entries stay listed until the removal clears them.
        printRow("remove a group", medianMs(
                                       kRuns,
                                       [&] {
                                           load();
                                           handled([&] { selectRow(window.lstGrupos, rows / 2); });
                                       },
                                       [&] { handled([&] { window.cmbRemoverGrupo->click(); }); }));

        // Taking the removal back, and making it again, the lists shown anew each time.
        const auto removeGroup = [&] {
            load();
            handled([&] { selectRow(window.lstGrupos, rows / 2); });
            handled([&] { window.cmbRemoverGrupo->click(); });
        };
        printRow("undo a removed group",
                 medianMs(kRuns, removeGroup, [&] { handled([&] { window.menDesfazer->trigger(); }); }));
        printRow("redo a removed group", medianMs(
                                             kRuns,
                                             [&] {
                                                 removeGroup();
                                                 handled([&] { window.menDesfazer->trigger(); });
                                             },
                                             [&] { handled([&] { window.menRefazer->trigger(); }); }));
    }
}

void runDialogBenchmark(const QString& folder)
{
    std::printf("\nDialogs, offscreen: median milliseconds and their ratio to one 60 Hz frame (16 ms)\n");

    // A pasted block of 32767 entry lines for one group, from pressing Adicionar to the dialog closed.
    QString block = QStringLiteral("[PASTED]\n");
    for (int i = 1; i <= modMain::kMaxSlots; ++i)
        block += QStringLiteral("ParameterName_%1=value %1\n").arg(i);
    std::unique_ptr<modMain::DocumentEditor> editor;
    std::unique_ptr<modMain::DocumentFile> file;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<frmConjunto> import;
    printRow("import 32767 entry lines", medianMs(
                                             kRuns,
                                             [&] {
                                                 import.reset();
                                                 window.reset();
                                                 file.reset();
                                                 editor = std::make_unique<modMain::DocumentEditor>();
                                                 file = std::make_unique<modMain::DocumentFile>(*editor);
                                                 window = std::make_unique<frmMain>(*file);
                                                 import = std::make_unique<frmConjunto>(window.get(), *editor);
                                                 import->txtSequencia->setPlainText(block);
                                             },
                                             [&] { handled([&] { import->cmbAdicionar->click(); }); }));
    import.reset();
    printRow("undo the import of 32767", medianMs(
                                             kRuns, [&] { handled([&] { window->menRefazer->trigger(); }); },
                                             [&] { handled([&] { window->menDesfazer->trigger(); }); }));
    printRow("redo the import of 32767", medianMs(
                                             kRuns, [&] { handled([&] { window->menDesfazer->trigger(); }); },
                                             [&] { handled([&] { window->menRefazer->trigger(); }); }));

    // One entry more for a group of 32766 whose entries are listed, from
    // pressing Adicionar in the window's own dialog to the row shown.
    std::string entries = "[FULL]\r\n";
    for (int i = 1; i < modMain::kMaxSlots; ++i)
        entries += "ParameterName_" + std::to_string(i) + "=value\r\n";
    const QString path = folder + QStringLiteral("/almost-full.cfg");
    writeFile(path, entries);
    window->show();
    std::vector<double> adds;
    for (int i = 0; i < kRuns; ++i) {
        window->AbrirFS9(path);
        selectRow(window->lstGrupos, 0);
        QTimer::singleShot(0, [&] {
            auto* entry = qobject_cast<frmEntrada*>(QApplication::activeModalWidget());
            if (!entry)
                return;
            entry->txtParametro->setText(QStringLiteral("Added_%1").arg(i));
            entry->txtValor->setText(QStringLiteral("1"));
            adds.push_back(medianMs(1, [&] { handled([&] { entry->cmbAdicionar->click(); }); }));
            entry->close();
        });
        window->cmbNovaEntrada->click();
    }
    std::sort(adds.begin(), adds.end());
    printRow("add an entry to 32766", adds.empty() ? 0 : adds[adds.size() / 2]);
}

}  // namespace bench
