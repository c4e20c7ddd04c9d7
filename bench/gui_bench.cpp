// The main window's commands on the largest documents, offscreen: each timed
// from the user's action until the window has handled it.
#include "bench_util.h"

#include "dialogs/frm_conjunto.h"
#include "dialogs/frm_entrada.h"
#include "document/document.h"
#include "main_window/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <memory>

namespace bench {
namespace {

constexpr int kRuns = 7;
constexpr double kInstantMs = 100;

// Runs the command, lets the window lay itself out and paint, and returns.
template <typename Command>
void handled(Command&& command)
{
    command();
    QApplication::processEvents();
}

// Save ends in a message box: the time runs until the box is up, then it is closed.
double timeUntilMessage(QAction* command)
{
    std::chrono::steady_clock::time_point shown;
    QTimer::singleShot(0, [&shown] {
        shown = std::chrono::steady_clock::now();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    const auto start = std::chrono::steady_clock::now();
    command->trigger();
    return std::chrono::duration<double, std::milli>(shown - start).count();
}

void printRow(const char* action, double ms)
{
    std::printf("  %-34s %8.2f ms   %s\n", action, ms, ms < kInstantMs ? "instant" : "MISSED (goal < 100 ms)");
}

}  // namespace

void runWindowBenchmark(const std::vector<Sample>& samples)
{
    std::printf("\nMain window, offscreen: median milliseconds (goal: each under %.0f ms)\n", kInstantMs);
    for (const Sample& sample : samples) {
        if (sample.label.startsWith("typical"))
            continue;
        modMain::Document document;
        frmMain window(document);
        window.show();
        QApplication::processEvents();
        std::printf("%s\n", qPrintable(sample.label));

        const auto load = [&] { handled([&] { window.AbrirFS9(sample.path); }); };
        printRow("open (file to groups listed)", medianMs(kRuns, load));

        // Each run selects another row, or the same one again after clearing it.
        const int rows = window.lstGrupos->count();
        int next = 0;
        printRow("select a group (refresh)",
                 medianMs(
                     kRuns, [&] { handled([&] { window.lstGrupos->clearSelection(); }); },
                     [&] { handled([&] { window.lstGrupos->setCurrentRow((rows / 2 + next++) % rows); }); }));

        std::vector<double> saves;
        for (int i = 0; i < kRuns; ++i)
            saves.push_back(timeUntilMessage(window.menSalvar));
        std::sort(saves.begin(), saves.end());
        printRow("save (until its message shows)", saves[saves.size() / 2]);

        printRow("remove an entry",
                 medianMs(
                     kRuns, [&] { window.lstConteudo->setCurrentItem(window.lstConteudo->topLevelItem(0)); },
                     [&] { handled([&] { window.cmbRemover->click(); }); }));

        // The group's entries stay listed until the removal clears them.
        printRow("remove a group",
                 medianMs(
                     kRuns,
                     [&] {
                         load();
                         handled([&] { window.lstGrupos->setCurrentRow(rows / 2); });
                     },
                     [&] { handled([&] { window.cmbRemoverGrupo->click(); }); }));
    }
}

void runDialogBenchmark(const QString& folder)
{
    std::printf("\nDialogs, offscreen: median milliseconds (goal: each under %.0f ms)\n", kInstantMs);

    // A pasted block of 32767 entry lines for one group, from pressing Adicionar to the dialog closed.
    QString block = QStringLiteral("[PASTED]\n");
    for (int i = 1; i <= modMain::kMaxSlots; ++i)
        block += QStringLiteral("ParameterName_%1=value %1\n").arg(i);
    std::unique_ptr<modMain::Document> document;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<frmConjunto> import;
    printRow("import 32767 entry lines", medianMs(
                                             kRuns,
                                             [&] {
                                                 import.reset();
                                                 window.reset();
                                                 document = std::make_unique<modMain::Document>();
                                                 window = std::make_unique<frmMain>(*document);
                                                 import = std::make_unique<frmConjunto>(*window);
                                                 import->txtSequencia->setPlainText(block);
                                             },
                                             [&] { handled([&] { import->cmbAdicionar->click(); }); }));
    import.reset();

    // One entry more for a group of 32766 whose entries are listed.
    std::string entries = "[FULL]\r\n";
    for (int i = 1; i < modMain::kMaxSlots; ++i)
        entries += "ParameterName_" + std::to_string(i) + "=value\r\n";
    const QString path = folder + QStringLiteral("/almost-full.cfg");
    writeFile(path, entries);
    window->show();
    std::unique_ptr<frmEntrada> entry;
    int added = 0;
    printRow("add an entry to 32766", medianMs(
                                          kRuns,
                                          [&] {
                                              entry.reset();
                                              window->AbrirFS9(path);
                                              window->lstGrupos->setCurrentRow(0);
                                              entry = std::make_unique<frmEntrada>(*window);
                                              entry->txtParametro->setText(QStringLiteral("Added_%1").arg(added++));
                                              entry->txtValor->setText(QStringLiteral("1"));
                                          },
                                          [&] { handled([&] { entry->cmbAdicionar->click(); }); }));
}

}  // namespace bench
