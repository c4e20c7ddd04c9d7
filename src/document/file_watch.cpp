#include "document/file_watch.h"

#include "files/file_reading.h"
#include "files/system_files.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>

namespace modMain {

namespace {

// How long the file is let be after an event before it is looked at: a
// program writing it sends several events, and the look waits for the last.
constexpr int kSettleMs = 150;
// How long a look that ran out of memory waits before the next one.
constexpr int kRetryMs = 1000;
// How long closing the window waits for a look at a stalled folder to end.
constexpr unsigned long kStopWaitMs = 2000;

// Lives in the watch's thread, where every look at the disk happens.
class Watcher : public QObject {
    Q_OBJECT

public:
    explicit Watcher(FileWatch::Read read)
        : read_(std::move(read))
    {
    }

    void watch(const QString& path, const files::FileRecord& record, const SettledState& settled, quint64 generation)
    {
        // Made here, in the watch's thread: the system's watcher hooks itself
        // into the event loop of the thread it is made in (on Windows).
        if (!system_) {
            system_ = new QFileSystemWatcher(this);
            settle_ = new QTimer(this);
            settle_->setSingleShot(true);
            connect(system_, &QFileSystemWatcher::fileChanged, this, &Watcher::settle);
            connect(system_, &QFileSystemWatcher::directoryChanged, this, &Watcher::settle);
            connect(settle_, &QTimer::timeout, this, &Watcher::look);
        }
        if (const QStringList watched = system_->files() + system_->directories(); !watched.isEmpty())
            system_->removePaths(watched);
        path_ = path;
        record_ = record;
        generation_ = generation;
        seen_.reset();
        told_ = settled.contentHash;
        goneTold_ = settled.gone;
        if (path_.isEmpty())
            return;
        // The file may have changed between its reading and this watch.
        settle();
    }

signals:
    void noticed(std::shared_ptr<modMain::FileNotice> notice, quint64 generation);

private:
    // The folder of the file's target, and the file while it exists (a
    // replaced file drops out of the watch, and its successor is added).
    void follow()
    {
        QString target;
        std::optional<files::FileState> state;
        if (!files::resolve(path_, target, state))
            target = path_;
        const QString folder = QFileInfo(target).absolutePath();
        if (!system_->directories().contains(folder))
            system_->addPath(folder);
        if (state && !system_->files().contains(target))
            system_->addPath(target);
    }

    void settle() { settle_->start(kSettleMs); }

    // A look that runs out of memory is taken again a little later, from the start.
    void look()
    {
        try {
            check();
        } catch (const std::bad_alloc&) {
            seen_.reset();
            settle_->start(kRetryMs);
        }
    }

    void check()
    {
        if (path_.isEmpty())
            return;
        follow();
        QString target;
        std::optional<files::FileState> state;
        if (!files::resolve(path_, target, state) || !state) {
            seen_.reset();
            if (!goneTold_) {
                goneTold_ = true;
                tell(FileNotice::Kind::Gone);
            }
            return;
        }
        goneTold_ = false;
        if (seen_ && files::sameState(*seen_, *state))
            return;
        const bool firstLook = !seen_;
        seen_ = state;
        // The first look follows the file's reading or writing by moments: the
        // same file, size and time will do, without reading it whole.
        if (firstLook && files::sameName(target, record_.target) &&
            files::stampOf(*state, record_.stamp.contentHash) == record_.stamp)
            return;
        const std::optional<std::uint64_t> hash = files::contentHashOf(target);
        if (!hash || (files::sameName(target, record_.target) && *hash == record_.stamp.contentHash) || hash == told_)
            return;
        ReadResult read = read_ ? read_(path_) : readDocument(path_);
        told_ = hash;
        tell(FileNotice::Kind::Changed, *hash, std::move(read));
    }

    void tell(FileNotice::Kind kind, std::uint64_t hash = 0, ReadResult read = {})
    {
        emit noticed(std::make_shared<FileNotice>(FileNotice{kind, record_, hash, std::move(read)}), generation_);
    }

    const FileWatch::Read read_;
    QFileSystemWatcher* system_ = nullptr;
    QTimer* settle_ = nullptr;
    QString path_;
    files::FileRecord record_;
    quint64 generation_ = 0;
    std::optional<files::FileState> seen_;  // the file as last looked at
    std::optional<std::uint64_t> told_;     // the hash of the bytes last told
    bool goneTold_ = false;
};

}  // namespace

FileWatch::FileWatch(QObject* parent, Read read)
    : QObject(parent)
    , thread_(new QThread)
{
    qRegisterMetaType<std::shared_ptr<modMain::FileNotice>>();
    auto* watcher = new Watcher(std::move(read));
    watcher->moveToThread(thread_);
    watcher_ = watcher;
    connect(thread_, &QThread::finished, watcher, &QObject::deleteLater);
    // A notice of an earlier watch is no longer news.
    connect(
        watcher, &Watcher::noticed, this,
        [this](std::shared_ptr<FileNotice> notice, quint64 generation) {
            if (generation == generation_)
                emit noticed(std::move(notice));
        },
        Qt::QueuedConnection);
    thread_->start();
}

FileWatch::~FileWatch()
{
    thread_->quit();
    if (thread_->wait(kStopWaitMs)) {
        delete thread_;
        return;
    }
    // A look at a stalled folder goes on; the thread ends when it does.
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
}

void FileWatch::watch(const QString& path, const files::FileRecord& record, const SettledState& settled)
{
    auto* watcher = static_cast<Watcher*>(watcher_);
    QMetaObject::invokeMethod(
        watcher,
        [watcher, path, record, settled, generation = ++generation_] {
            watcher->watch(path, record, settled, generation);
        },
        Qt::QueuedConnection);
}

}  // namespace modMain

#include "file_watch.moc"
