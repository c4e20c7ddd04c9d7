#include "main_window/frm_main.h"

#include "dialogs/frm_sobre.h"
#include "files/fs9_path.h"
#include "form_kit/form_layout.h"
#include "form_kit/frame_caption.h"
#include "form_kit/messages.h"
#include "form_kit/whole_text_tooltips.h"
#include "main_window/text_rows.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSessionManager>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>

#include <functional>

namespace {

// The design's client area below the menu bar, in twips.
constexpr QRect kClientArea = twips(0, 0, 9795, 7020);

}  // namespace

template <typename Command>
auto frmMain::guarded(Command command)
{
    return [this, command] { reportingOutOfMemory(this, [&] { std::invoke(command, this); }); };
}

frmMain::frmMain(modMain::DocumentFile& file, QWidget* parent)
    : QMainWindow(parent)
    , file_(file)
    , document_(file.editor())
    , groupRows_(new GroupRows(document_.document(), this))
    , entryRows_(new EntryRows(document_.document(), this))
    , fs9Search_(files::findFS9Files)
{
    setObjectName(QStringLiteral("frmMain"));
    updateCaption();
    // A minimize button and no maximize button: the window keeps its size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildControls();
    fitCaptions(this);
    buildMenus();
    bindCommands();
    bindKeys();
    setAcceptDrops(true);
    connect(&file_, &modMain::DocumentFile::noticed, this, &frmMain::actOnFileNotice);
    setFixedSize(kClientArea.width(), kClientArea.height() + menuBar()->sizeHint().height());
    designSize_ = size();

    // Nothing can be saved, nor has versions, before a file has been loaded.
    menSalvar->setEnabled(false);
    menBackup->setEnabled(false);
    menVersoes->setEnabled(false);
    lstGrupos->setFocus();
}

frmMain::~frmMain()
{
    file_.setFollower(nullptr);
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A window manager that ignores the fixed size hints still gets the window back at its size.
    if (event->size() != designSize_ && !isMinimized())
        QTimer::singleShot(0, this, [this] { resize(designSize_); });
}

void frmMain::buildControls()
{
    auto* client = new QWidget(this);
    setCentralWidget(client);

    Frame1 = placed(new QGroupBox(QStringLiteral("Grupos"), client), "Frame1", twips(60, 60, 2955, 6915));
    lstGrupos = placed(new QListView(Frame1), "lstGrupos", twips(120, 300, 2655, 5520));
    cmbNovoGrupo = placed(new QPushButton(QStringLiteral("Adicionar Grupo"), Frame1), "cmbNovoGrupo",
                          twips(120, 5880, 2655, 435));
    cmbRemoverGrupo = placed(new QPushButton(QStringLiteral("Remover Grupo"), Frame1), "cmbRemoverGrupo",
                             twips(120, 6360, 2655, 435));

    Frame2 = placed(new QGroupBox(QStringLiteral("Conteúdo"), client), "Frame2", twips(3120, 60, 6615, 6915));
    lstConteudo = placed(new QTableView(Frame2), "lstConteudo", twips(240, 360, 6255, 5955));
    cmbNovaEntrada = placed(new QPushButton(QStringLiteral("Nova Entrada"), Frame2), "cmbNovaEntrada",
                            twips(4860, 6360, 1635, 435));
    cmbRemover = placed(new QPushButton(QStringLiteral("Remover entrada"), Frame2), "cmbRemover",
                        twips(3180, 6360, 1635, 435));

    setFrameCaptionRed(Frame1);
    setFrameCaptionRed(Frame2);
    // A screen reader names each list after its frame.
    lstGrupos->setAccessibleName(Frame1->title());
    lstConteudo->setAccessibleName(Frame2->title());
    lstGrupos->setItemDelegate(new WholeTextTooltips(lstGrupos));
    lstConteudo->setItemDelegate(new WholeTextTooltips(lstConteudo));

    // Rows of one height lay out at once, however many there are.
    lstGrupos->setModel(groupRows_);
    lstGrupos->setUniformItemSizes(true);
    lstGrupos->setSelectionMode(QAbstractItemView::SingleSelection);
    lstGrupos->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // A table of whole rows, dressed as a report list: column headings, no
    // grid, no row numbers, Tab leaving the list rather than walking its cells.
    lstConteudo->setModel(entryRows_);
    lstConteudo->setColumnWidth(0, twips(0, 0, 3500, 0).width());
    lstConteudo->setColumnWidth(1, twips(0, 0, 2000, 0).width());
    lstConteudo->horizontalHeader()->setStretchLastSection(false);
    lstConteudo->horizontalHeader()->setSectionsClickable(false);
    lstConteudo->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lstConteudo->verticalHeader()->hide();
    lstConteudo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstConteudo->verticalHeader()->setMinimumSectionSize(1);  // rows as close as a list's
    lstConteudo->verticalHeader()->setDefaultSectionSize(lstConteudo->fontMetrics().height() + 1);
    lstConteudo->setShowGrid(false);
    lstConteudo->setWordWrap(false);
    lstConteudo->setTabKeyNavigation(false);
    lstConteudo->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstConteudo->setSelectionMode(QAbstractItemView::SingleSelection);
    lstConteudo->setEditTriggers(QAbstractItemView::NoEditTriggers);

    setTabOrder(lstGrupos, cmbNovoGrupo);
    setTabOrder(cmbNovoGrupo, cmbRemoverGrupo);
    setTabOrder(cmbRemoverGrupo, lstConteudo);
    setTabOrder(lstConteudo, cmbNovaEntrada);
    setTabOrder(cmbNovaEntrada, cmbRemover);

    cmd = new QFileDialog(this);
    cmd->setObjectName(QStringLiteral("cmd"));
    cmd->setNameFilter(QStringLiteral("Arquivos de configuração (*.cfg)"));
}

void frmMain::buildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        menu->addAction(action);
        return action;
    };
    const auto menu = [this](const char* name, const QString& caption) {
        QMenu* created = menuBar()->addMenu(caption);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };

    QMenu* menArquivo = menu("menArquivo", QStringLiteral("&Arquivo"));
    menProcurar = item(menArquivo, "menProcurar", QStringLiteral("Procucar CFG"));
    menArquivo->addSeparator()->setObjectName(QStringLiteral("menSep1"));
    menAbrir = item(menArquivo, "menAbrir", QStringLiteral("Abrir..."));
    menSalvar = item(menArquivo, "menSalvar", QStringLiteral("Salvar"));
    menSalvarComo = item(menArquivo, "menSalvarComo", QStringLiteral("Salvar Como..."));
    menVersoes = item(menArquivo, "menVersoes", QStringLiteral("Versões anteriores..."));
    menComparar = item(menArquivo, "menComparar", QStringLiteral("Comparar com..."));
    menArquivo->addSeparator()->setObjectName(QStringLiteral("menSep2"));
    menSair = item(menArquivo, "menSair", QStringLiteral("Sair"));

    QMenu* menEditar = menu("menEditar", QStringLiteral("&Editar"));
    menDesfazer = item(menEditar, "menDesfazer", QStringLiteral("Desfazer"));
    menRefazer = item(menEditar, "menRefazer", QStringLiteral("Refazer"));
    menEditar->addSeparator()->setObjectName(QStringLiteral("menSep3"));
    menLocalizar = item(menEditar, "menLocalizar", QStringLiteral("Localizar..."));
    menLocalizarProxima = item(menEditar, "menLocalizarProxima", QStringLiteral("Localizar próxima"));

    QMenu* menFerramentas = menu("menFerramentas", QStringLiteral("&Ferramentas"));
    menSequencia = item(menFerramentas, "menSequencia", QStringLiteral("Adicionar itens em sequência..."));
    menBackup = item(menFerramentas, "menBackup", QStringLiteral("Fazer backup..."));
    menExluir = item(menFerramentas, "menExluir", QStringLiteral("Exluir FS9.cfg"));

    QMenu* menAjuda = menu("menAjuda", QStringLiteral("A&juda"));
    menSobre = item(menAjuda, "menSobre", QStringLiteral("Sobre..."));
}

void frmMain::bindCommands()
{
    // A selection made by the program (a cleared list, a removed row) refreshes
    // too, so the entries shown always belong to the selected header.
    connect(lstGrupos->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection&, const QItemSelection& deselected) { followSelection(deselected); });
    connect(lstConteudo, &QTableView::doubleClicked, this, guarded(&frmMain::editSelectedValue));
    file_.setFollower(this);

    // Unsaved changes mark the caption: the history knows the step the file holds.
    QUndoStack& history = file_.history();
    connect(&history, &QUndoStack::cleanChanged, this, [this](bool clean) { setWindowModified(!clean); });
    connect(&history, &QUndoStack::canUndoChanged, menDesfazer, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, menRefazer, &QAction::setEnabled);
    setWindowModified(!history.isClean());
    menDesfazer->setEnabled(history.canUndo());
    menRefazer->setEnabled(history.canRedo());
    connect(menDesfazer, &QAction::triggered, this, guarded([](frmMain* window) { window->stepHistory(Step::Back); }));
    connect(menRefazer, &QAction::triggered, this,
            guarded([](frmMain* window) { window->stepHistory(Step::Forward); }));
    connect(menLocalizar, &QAction::triggered, this, guarded(&frmMain::findEntry));
    connect(menLocalizarProxima, &QAction::triggered, this, guarded(&frmMain::findNextEntry));
    // A session that ends asks too, and the user may keep it from ending.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        if (!session.allowsInteraction())
            return;
        if (!mayEndSession())
            session.cancel();
        session.release();
    });

    connect(cmbNovoGrupo, &QPushButton::clicked, this, guarded(&frmMain::addGroup));
    connect(cmbNovaEntrada, &QPushButton::clicked, this, guarded(&frmMain::addEntries));
    connect(menSequencia, &QAction::triggered, this, guarded(&frmMain::importSequence));
    connect(menSobre, &QAction::triggered, this, guarded([](frmMain* window) { frmSobre(window).exec(); }));
    connect(cmbRemoverGrupo, &QPushButton::clicked, this, guarded(&frmMain::removeSelectedGroup));
    connect(cmbRemover, &QPushButton::clicked, this, guarded(&frmMain::removeSelectedEntry));

    connect(menProcurar, &QAction::triggered, this, guarded(&frmMain::locateFS9));
    connect(menAbrir, &QAction::triggered, this, guarded(&frmMain::openFile));
    connect(menSalvar, &QAction::triggered, this, guarded(&frmMain::saveFile));
    connect(menSalvarComo, &QAction::triggered, this, guarded(&frmMain::saveFileAs));
    connect(menSair, &QAction::triggered, this, guarded(&frmMain::exitProgram));
    connect(menBackup, &QAction::triggered, this, guarded(&frmMain::backupFile));
    connect(menVersoes, &QAction::triggered, this, guarded(&frmMain::showVersions));
    connect(menComparar, &QAction::triggered, this, guarded(&frmMain::compareWithFile));
    connect(&file_, &modMain::DocumentFile::versionsNotKept, this, &frmMain::tellVersionsNotKept);
    connect(menExluir, &QAction::triggered, this, guarded(&frmMain::deleteFS9));
}

void frmMain::bindKeys()
{
    // The platform's keys where it has them, else the usual ones.
    const auto keys = [](QKeySequence::StandardKey standard, const QKeySequence& usual) {
        const QList<QKeySequence> bound = QKeySequence::keyBindings(standard);
        return bound.isEmpty() ? QList<QKeySequence>{usual} : bound;
    };
    menAbrir->setShortcuts(keys(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    menSalvar->setShortcuts(keys(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S)));
    menSalvarComo->setShortcuts(keys(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    menSair->setShortcuts(keys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    menDesfazer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    menRefazer->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    menLocalizar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menLocalizarProxima->setShortcut(QKeySequence(Qt::Key_F3));

    // Keys of one list: F2 and Enter edit the selected value; Delete removes as
    // the buttons do, then moves on to the next row.
    const auto onKeys = [this](QWidget* list, std::initializer_list<Qt::Key> listKeys, auto command) {
        for (const Qt::Key key : listKeys)
            connect(new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
                    this, guarded(command));
    };
    onKeys(lstConteudo, {Qt::Key_F2, Qt::Key_Return, Qt::Key_Enter}, &frmMain::editSelectedValue);
    onKeys(lstConteudo, {Qt::Key_Delete},
           [](frmMain* window) { window->deleteAndWalkOn(window->lstConteudo, &frmMain::removeSelectedEntry); });
    onKeys(lstGrupos, {Qt::Key_Delete},
           [](frmMain* window) { window->deleteAndWalkOn(window->lstGrupos, &frmMain::removeSelectedGroup); });
}
