#include "dialogs/versions_dialog.h"

#include "dialogs/differences_dialog.h"
#include "document/document_editor.h"
#include "document/reader.h"
#include "document/writer.h"
#include "form_kit/messages.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace {

enum ListColumn { kTime, kSource, kDifferences };

// Runs `work` on a thread of its own, so that a stalled folder never holds up
// the window, and `done` with what it gives back in the window's thread,
// unless the dialog has closed by then.
template <typename Work, typename Done>
void offTheWindowsThread(std::shared_ptr<std::atomic<bool>> open, Work work, Done done)
{
    std::thread([open, work = std::move(work), done = std::move(done)]() mutable {
        auto result = work();
        QMetaObject::invokeMethod(
            qApp,
            [open, done = std::move(done), result = std::move(result)]() mutable {
                if (*open)
                    done(std::move(result));
            },
            Qt::QueuedConnection);
    }).detach();
}

// A version's document, or why it cannot be had.
struct ReadVersion {
    std::shared_ptr<const modMain::Document> document;
    QString error;
};

ReadVersion readVersion(const files::VersionStore& store, const files::VersionInfo& version)
{
    try {
        files::VersionStore::Loaded loaded = store.load(version);
        if (!loaded.bytes)
            return {nullptr, loaded.error};
        modMain::ReadResult read = modMain::parseDocument(std::move(*loaded.bytes));
        if (!read.document)
            return {nullptr, QStringLiteral("A versão não pode ser lida:\n%1").arg(read.error)};
        return {std::make_shared<const modMain::Document>(std::move(*read.document)), {}};
    } catch (const std::bad_alloc&) {
        return {nullptr, QStringLiteral("Não há memória suficiente para ler a versão.")};
    }
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

VersionsDialog::VersionsDialog(QWidget* parent, modMain::DocumentEditor& editor, files::VersionStore store,
                               QString target)
    : QDialog(parent)
    , editor_(editor)
    , store_(std::move(store))
    , target_(std::move(target))
    , open_(std::make_shared<std::atomic<bool>>(true))
{
    setObjectName(QStringLiteral("versoes"));
    setWindowTitle(QStringLiteral("Versões anteriores"));
    lstVersoes = new QTableWidget(0, 3, this);
    lstVersoes->setObjectName(QStringLiteral("lstVersoes"));
    lstVersoes->setAccessibleName(windowTitle());
    lstVersoes->setHorizontalHeaderLabels(
        {QStringLiteral("Data e hora"), QStringLiteral("Origem"), QStringLiteral("Diferenças")});
    lstVersoes->verticalHeader()->hide();
    lstVersoes->setSelectionMode(QAbstractItemView::SingleSelection);
    lstVersoes->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstVersoes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstVersoes->horizontalHeader()->setStretchLastSection(true);
    lstDiferencas = new DifferenceTable({QStringLiteral("Nesta versão"), QStringLiteral("Agora")},
                                        DifferenceTable::Choice::TakeOrLeave, {}, this);
    lstDiferencas->setObjectName(QStringLiteral("lstDiferencas"));
    lstDiferencas->setAccessibleName(QStringLiteral("Diferenças"));
    lblSituacao = new QLabel(QStringLiteral("Lendo as versões..."), this);
    lblSituacao->setObjectName(QStringLiteral("lblSituacao"));
    lblSituacao->setWordWrap(true);
    cmbRestaurar = new QPushButton(QStringLiteral("Restaurar"), this);
    cmbRestaurar->setObjectName(QStringLiteral("cmbRestaurar"));
    cmbRestaurar->setDefault(true);
    cmbRestaurar->setEnabled(false);
    cmbExcluir = new QPushButton(QStringLiteral("Excluir versões"), this);
    cmbExcluir->setObjectName(QStringLiteral("cmbExcluir"));
    cmbExcluir->setEnabled(false);
    cmbFechar = new QPushButton(QStringLiteral("Fechar"), this);
    cmbFechar->setObjectName(QStringLiteral("cmbFechar"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmbExcluir);
    buttons->addStretch();
    buttons->addWidget(cmbRestaurar);
    buttons->addWidget(cmbFechar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstVersoes, 2);
    layout->addWidget(lblSituacao);
    layout->addWidget(lstDiferencas, 3);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(lstVersoes, &QTableWidget::currentCellChanged, this,
            [this](int row) { reportingOutOfMemory(this, [&] { choose(row); }); });
    connect(cmbRestaurar, &QPushButton::clicked, this, [this] { reportingOutOfMemory(this, [&] { restore(); }); });
    connect(cmbExcluir, &QPushButton::clicked, this, &VersionsDialog::removeVersions);
    connect(cmbFechar, &QPushButton::clicked, this, &QDialog::reject);
    list();
}

VersionsDialog::~VersionsDialog()
{
    *open_ = false;
}

void VersionsDialog::list()
{
    offTheWindowsThread(
        open_, [store = store_, target = target_] { return store.list(target); },
        [this](files::VersionStore::Listing listing) { listed(std::move(listing)); });
}

void VersionsDialog::listed(files::VersionStore::Listing listing)
{
    versions_ = std::move(listing.versions);
    lstVersoes->setRowCount(int(versions_.size()));
    for (int row = 0; row < lstVersoes->rowCount(); ++row) {
        const files::VersionInfo& version = versions_[std::size_t(row)];
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(version.timeNs / 1'000'000);
        lstVersoes->setItem(
            row, kTime,
            cell(version.damaged ? QStringLiteral("?") : time.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
        lstVersoes->setItem(row, kSource, cell(version.damaged ? QString() : files::sourceText(version.source)));
        lstVersoes->setItem(row, kDifferences,
                            cell(version.damaged ? QStringLiteral("(danificada)") : QStringLiteral("...")));
    }
    lstVersoes->resizeColumnsToContents();
    cmbExcluir->setEnabled(!versions_.empty());
    if (!listing.error.isEmpty()) {
        lblSituacao->setText(listing.error);
        return;
    }
    if (versions_.empty()) {
        lblSituacao->setText(QStringLiteral("Nenhuma versão guardada deste arquivo."));
        return;
    }
    countDifferences();
    lstVersoes->setCurrentCell(0, kTime);
}

void VersionsDialog::countDifferences()
{
    // How many settings each version differs in from the document as it is
    // now, measured on a copy of it, one version after another.
    std::thread([open = open_, store = store_, versions = versions_, now = modMain::documentBytes(editor_.document()),
                 dialog = this] {
        try {
            const modMain::ReadResult read = modMain::parseDocument(modMain::copyFileBytes(now));
            for (std::size_t row = 0; read.document && row < versions.size() && *open; ++row) {
                const ReadVersion then = versions[row].damaged ? ReadVersion{} : readVersion(store, versions[row]);
                const std::optional<std::size_t> count =
                    then.document ? std::optional(modMain::differences(*then.document, *read.document).size())
                                  : std::nullopt;
                QMetaObject::invokeMethod(
                    qApp,
                    [open, dialog, row, count] {
                        if (*open)
                            dialog->counted(row, count);
                    },
                    Qt::QueuedConnection);
            }
        } catch (const std::bad_alloc&) {
            // Counted as far as memory let: the rest stay unknown.
        }
    }).detach();
}

void VersionsDialog::counted(std::size_t row, std::optional<std::size_t> differences)
{
    if (QTableWidgetItem* item = lstVersoes->item(int(row), kDifferences))
        item->setText(differences ? QString::number(*differences) : QStringLiteral("(danificada)"));
}

void VersionsDialog::choose(int row)
{
    chosen_ = row;
    then_.reset();
    differences_.clear();
    lstDiferencas->setRows({});
    cmbRestaurar->setEnabled(false);
    if (row < 0 || std::size_t(row) >= versions_.size())
        return;
    lblSituacao->setText(QStringLiteral("Lendo a versão..."));
    offTheWindowsThread(
        open_, [store = store_, version = versions_[std::size_t(row)]] { return readVersion(store, version); },
        [this, row](ReadVersion read) {
            reportingOutOfMemory(this, [&] { loaded(row, std::move(read.document), read.error); });
        });
}

void VersionsDialog::loaded(int row, std::shared_ptr<const modMain::Document> then, const QString& error)
{
    if (row != chosen_)
        return;  // another version was chosen meanwhile
    if (!then) {
        lblSituacao->setText(error);
        return;
    }
    then_ = std::move(then);
    differences_ = modMain::differences(*then_, editor_.document());
    lstDiferencas->setRows(differenceRows(differences_));
    lblSituacao->setText(differences_.empty()
                             ? QStringLiteral("Nenhuma diferença: o documento é igual a esta versão.")
                             : QStringLiteral("Marque as diferenças que o documento deve tomar desta versão."));
    cmbRestaurar->setEnabled(!differences_.empty());
}

void VersionsDialog::restore()
{
    if (!then_)
        return;
    const modMain::EditOutcome outcome = editor_.restore(*then_, takenDifferences(differences_, *lstDiferencas));
    showRefusal(this, outcome);
    if (outcome == modMain::EditOutcome::Done || outcome == modMain::EditOutcome::Unchanged)
        accept();
}

void VersionsDialog::removeVersions()
{
    if (!askYesNo(this, QStringLiteral("Excluir versões"),
                  QStringLiteral("Excluir todas as versões guardadas deste arquivo?"), false))
        return;
    if (const QString error = store_.removeAll(target_); !error.isEmpty()) {
        showCritical(this, QStringLiteral("Erro"), error);
        return;
    }
    listed({});
}
