#pragma once

#include "document/document_file.h"
#include "files/fs9_path.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class EntryRows;
class GroupRows;
class QAbstractItemView;
class QAction;
class QItemSelection;
class QFileDialog;
class QGroupBox;
class QListView;
class QPushButton;
class QTableView;

// The program's one window: the group headers on the left, the selected
// header's entries on the right, and every command. Each row of the lists
// stands for its own group or entry; the commands change the document through
// its editor, and the lists follow what the editor reports. The open file is
// the owner's: the window asks the questions its outcomes call for.
class frmMain : public QMainWindow, private modMain::DocumentFollower {
    Q_OBJECT

public:
    explicit frmMain(modMain::DocumentFile& file, QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the file at `path` into the document and lists its headers. When it
    // cannot be read, tells the user why and changes nothing.
    bool AbrirFS9(const QString& path);
    // Opens a file as the Open command does: after asking about unsaved
    // changes, loaded and named in the caption.
    void openPath(const QString& path);

    const QString& CurrentFile() const { return file_.path(); }

    // The desktop session is ending: asks about unsaved changes, and true
    // when it may end. Once the user has chosen to leave them, the window
    // closes without asking again.
    bool mayEndSession();

    // How the simulator's file is looked for (files::findFS9Files unless a test
    // needs a search that stalls).
    void setFS9Search(std::function<QList<files::FS9File>()> search) { fs9Search_ = std::move(search); }

    QGroupBox* Frame1;
    QListView* lstGrupos;
    QPushButton* cmbNovoGrupo;
    QPushButton* cmbRemoverGrupo;
    QGroupBox* Frame2;
    QTableView* lstConteudo;
    QPushButton* cmbNovaEntrada;
    QPushButton* cmbRemover;
    QFileDialog* cmd;

    QAction* menProcurar;
    QAction* menAbrir;
    QAction* menSalvar;
    QAction* menSalvarComo;
    QAction* menVersoes;
    QAction* menComparar;
    QAction* menSair;
    QAction* menDesfazer;
    QAction* menRefazer;
    QAction* menLocalizar;
    QAction* menLocalizarProxima;
    QAction* menSequencia;
    QAction* menBackup;
    QAction* menExluir;
    QAction* menSobre;

protected:
    // A change of the file noticed while the window was inactive is acted on once it is active.
    void changeEvent(QEvent* event) override;
    // Closing with unsaved changes asks first.
    void closeEvent(QCloseEvent* event) override;
    // One local file dropped on the window is opened; any other drop is ignored.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The window keeps its size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void bindCommands();
    void bindKeys();

    // A command that runs out of memory is told so and changes nothing.
    template <typename Command>
    auto guarded(Command command);

    // The lists, following the document.
    void aboutToReplace() noexcept override;
    void replaced() noexcept override;
    bool followMade(const modMain::Change& change) noexcept override;
    void followStep(const modMain::Change& change, modMain::ChangeEvent event) noexcept override;
    // The rows a change made shows, once the room for them is made.
    void showMade(const modMain::Change& change, const std::vector<modMain::LiveEntry>& added) noexcept;
    void followSelection(const QItemSelection& deselected);
    // An undo or a redo, the lists made ready for it first.
    enum class Step { Back, Forward };
    void stepHistory(Step step);
    // Shows the live entries of every live group carrying the selected header.
    void refreshEntries();
    // The selected group header (valid while the document does not change),
    // or the empty text when no row is selected.
    std::string_view selectedHeader() const;
    std::optional<int> selectedGroupRow() const;
    std::optional<int> selectedEntryRow() const;
    // Selects the entry's header and then the entry's row.
    void showEntry(modMain::EntryPosition at);
    // The selected group and entry, kept before the document changes, and
    // shown again afterwards: in the same document by the group's slot, in
    // another one (a merge, a reload) by the occurrence of its header and of
    // the entry's name. Showing them needs the room for the header's entries.
    void keepSelection();
    void showKeptSelection(bool sameDocument) noexcept;

    // Browsing and editing; true when something was removed.
    void editSelectedValue();
    bool removeSelectedEntry();
    bool removeSelectedGroup();
    // Delete in a list: removes the selected row's slot and selects the row that takes its place.
    void deleteAndWalkOn(QAbstractItemView* list, bool (frmMain::*remove)());

    // The dialogs.
    void addGroup();
    void addEntries();
    void importSequence();

    // Finding an entry by a text in its name or value.
    void findEntry();
    void findNextEntry();

    // Unsaved changes: the caption names the file and marks them; before they
    // would be lost, the user is asked. True when the command may go on.
    void updateCaption();
    bool maySetDocumentAside();

    // The simulator's own file: where the search found it, when it was
    // written, and whether it opens.
    struct FoundFS9 {
        QString path;
        QDateTime modified;
        bool opens = false;
    };
    // Every copy found, the newest first; nothing when the user cancelled the search.
    std::optional<QList<FoundFS9>> searchFS9();
    void locateFS9();
    void deleteFS9();
    void exitProgram();

    // Files chosen in the file dialog.
    void openFile();
    // True once written.
    bool saveFile();
    bool saveFileAs();
    void backupFile();
    // Earlier states of the file: its versions, or another file, compared with the document.
    void showVersions();
    void compareWithFile();
    void tellVersionsNotKept(const QString& reason);
    enum class Choosing { ToOpen, ToSave };
    QString chooseFile(Choosing choosing);
    using Write = std::function<modMain::DocumentFile::WriteOutcome(modMain::DocumentFile::Check)>;
    // A write of the owner's, made again with the user's answer when the file
    // changed since it was read or written: written over, merged with first,
    // or not written. True once written; a failure is told.
    bool written(const QString& path, const Write& write);

    // Another program's change to the open file, acted on when the window is
    // active and shows no dialog: read again, or merged with the pilot's changes.
    void actOnFileNotice();
    void askAboutChangedFile(modMain::ReadResult read);
    // The file as it is now takes the document's place, the selection kept.
    void reloadFrom(modMain::ReadResult read);
    // The pilot's changes made again on the file as it is now, conflicts
    // settled by the pilot; one change of the history. True when merged.
    bool mergeWith(modMain::DocumentFile::PlannedMerge planned);

    modMain::DocumentFile& file_;
    modMain::DocumentEditor& document_;
    GroupRows* groupRows_;
    EntryRows* entryRows_;
    QString findText_;
    std::function<QList<files::FS9File>()> fs9Search_;
    bool fileDialogShown_ = false;
    // The user has chosen to leave the unsaved changes behind (a session ending).
    bool leavingUnsaved_ = false;
    // While the program itself sets the lists, a new selection refreshes nothing.
    bool relisting_ = false;
    // The selected group, and its header, as they were before an undo or a redo.
    struct KeptSelection {
        int group = 0;
        std::string header;
        int headerOccurrence = 0;
        std::optional<std::string> entry;  // the selected entry's name
        int entryOccurrence = 0;
    } keptSelection_;
    QSize designSize_;
};
