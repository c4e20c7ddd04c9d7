#pragma once

#include "document/document.h"
#include "document/file_access.h"

#include <QMainWindow>

class QAction;
class QFileDialog;
class QGroupBox;
class QListView;
class QPushButton;
class QTableView;

// The program's one window: the group headers on the left, the selected
// header's entries on the right, and every command. The lists show texts only;
// each command finds its groups and entries again by comparing those texts
// exactly with the document.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(modMain::Document& document, QWidget* parent = nullptr);

    // Loads the file at `path` into the document and lists its headers. When it
    // cannot be read, tells the user why and changes nothing.
    bool AbrirFS9(const QString& path);
    // Opens a file as the Open command does: loaded, and named in the caption.
    void openPath(const QString& path);

    modMain::Document& document() { return document_; }
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
    // Shows the live entries of every live group carrying the selected header.
    void refreshEntries();

    void buildControls();
    void buildMenus();
    void bindCommands();

    // Browsing and editing.
    void editSelectedValue();
    void removeSelectedEntry();
    void removeSelectedGroup();

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

    modMain::Document& document_;
    QSize designSize_;
    QString CurrentFile_;
    // The file as this window last read or wrote it.
    QString baselinePath_;
    modMain::FileStamp baseline_;
};
