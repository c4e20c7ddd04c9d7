#pragma once

#include "document/document_editor.h"
#include "document/file_access.h"

#include <QMainWindow>

#include <optional>
#include <string>

class EntryRows;
class GroupRows;
class QAction;
class QFileDialog;
class QGroupBox;
class QListView;
class QPushButton;
class QTableView;

// The program's one window: the group headers on the left, the selected
// header's entries on the right, and every command. The lists show texts only;
// each command finds its groups and entries again by comparing those texts
// exactly with the document, changes the document through its editor, and the
// lists follow what the editor reports.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(modMain::DocumentEditor& document, QWidget* parent = nullptr);

    // Loads the file at `path` into the document and lists its headers. When it
    // cannot be read, tells the user why and changes nothing.
    bool AbrirFS9(const QString& path);
    // Opens a file as the Open command does: loaded, and named in the caption.
    void openPath(const QString& path);

    const QString& CurrentFile() const { return CurrentFile_; }

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
    QAction* menSair;
    QAction* menSequencia;
    QAction* menBackup;
    QAction* menExluir;
    QAction* menSobre;

protected:
    // One local file dropped on the window is opened; any other drop is ignored.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The window keeps its size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void bindCommands();

    // The lists, following the document.
    void listEveryHeader();
    void followChange(const modMain::Change& change, modMain::ChangeEvent event);
    // Shows the live entries of every live group carrying the selected header.
    void refreshEntries();
    // The selected group header, or the empty text when no row is selected.
    std::string selectedHeader() const;
    std::optional<int> selectedEntryRow() const;

    // Browsing and editing.
    void editSelectedValue();
    void removeSelectedEntry();
    void removeSelectedGroup();

    // The dialogs.
    void addGroup();
    void addEntries();
    void importSequence();

    // The simulator's own file.
    void locateFS9();
    void deleteFS9();
    void exitProgram();

    // Files chosen in the file dialog.
    void openFile();
    void saveFile();
    void saveFileAs();
    void backupFile();
    QString chooseFile(bool forSaving);
    // The file as written, or nothing after telling the user why not.
    std::optional<modMain::FileStamp> writeTo(const QString& path);
    // Save and Save as write over the file last read or written only after
    // asking, when another program has changed it since.
    bool mayReplace(const QString& path);
    void saveKeepingBaseline(const QString& path);

    modMain::DocumentEditor& document_;
    GroupRows* groupRows_;
    EntryRows* entryRows_;
    QSize designSize_;
    QString CurrentFile_;
    // The file as this window last read or wrote it.
    QString baselinePath_;
    modMain::FileStamp baseline_;
};
