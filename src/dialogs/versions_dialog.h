#pragma once

#include "dialogs/difference_table.h"
#include "document/differences.h"
#include "files/version_store.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace modMain {
class DocumentEditor;
}

// "Versões anteriores": the versions kept of the open file, the newest first,
// each with its time, its source and how many settings differ from the
// document now; the differences of the one chosen, in the shared table, all
// taken at first. "Restaurar" makes the document as that version was in those
// taken, as one step of the history, and closes; "Excluir versões" removes
// the file's versions after a question. Versions are read, and counted, off
// the window's thread.
class VersionsDialog : public QDialog {
    Q_OBJECT

public:
    VersionsDialog(QWidget* parent, modMain::DocumentEditor& editor, files::VersionStore store, QString target);
    ~VersionsDialog() override;

    QTableWidget* lstVersoes;
    DifferenceTable* lstDiferencas;
    QLabel* lblSituacao;
    QPushButton* cmbRestaurar;
    QPushButton* cmbExcluir;
    QPushButton* cmbFechar;

private:
    void list();
    void listed(files::VersionStore::Listing listing);
    void countDifferences();
    void counted(std::size_t row, std::optional<std::size_t> differences);
    void choose(int row);
    void loaded(int row, std::shared_ptr<const modMain::Document> then, const QString& error);
    void restore();
    void removeVersions();

    modMain::DocumentEditor& editor_;
    const files::VersionStore store_;
    const QString target_;
    std::vector<files::VersionInfo> versions_;
    // Shared with the reads off the window's thread: false once this dialog is gone.
    std::shared_ptr<std::atomic<bool>> open_;
    int chosen_ = -1;  // the version whose differences are shown
    std::shared_ptr<const modMain::Document> then_;
    std::vector<modMain::Difference> differences_;
};
