#include "document/file_watch.h"

#include "files/system_files.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>

namespace modMain {

namespace {

// How long a look that ran out of memory waits before the next one.
constexpr int kRetryMs = 1000;
// How long closing the window waits for a look at a stalled folder to end.
constexpr unsigned long kStopWaitMs = 2000;

// Lives in the watch's thread, where every look at the disk happens.
class Watcher : public QObject {
    Q_OBJECT

public:
    Watcher(FileWatch::Read read, WatchPace pace)
        : read_(std::move(read))
        , pace_(pace)
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
            deadline_ = new QTimer(this);
            deadline_->setSingleShot(true);
            connect(system_, &QFileSystemWatcher::fileChanged, this, &Watcher::settle);
            connect(system_, &QFileSystemWatcher::directoryChanged, this, &Watcher::folderChanged);
            connect(settle_, &QTimer::timeout, this, &Watcher::look);
            connect(deadline_, &QTimer::timeout, this, &Watcher::look);
        }
        if (const QStringList watched = system_->files() + system_->directories(); !watched.isEmpty())
            system_->removePaths(watched);
        path_ = path;
        record_ = record;
        generation_ = generation;
        seen_.reset();
        named_.reset();
        told_ = settled.contentHash;
        toldOther_.clear();
        goneTold_ = settled.gone;
        if (path_.isEmpty())
            return;
        // The file may have changed between its reading and this watch.
        settle();
    }

signals:
    void noticed(std::shared_ptr<modMain::FileNotice> notice, quint64 generation);

private:
    // The folders of the file's name and of its target (a link's may lie
    // elsewhere), the folder that holds the first (where it is renamed away),
    // and the file while it exists (a replaced file drops out of the watch,
    // and its successor is added).
    void follow()
    {
        QString target;
        std::optional<files::FileState> state;
        if (!files::resolve(path_, target, state))
            target = path_;
        const QString named = QFileInfo(path_).absolutePath();
        for (const QString& folder : {named, QFileInfo(named).absolutePath(), QFileInfo(target).absolutePath()}) {
            if (!system_->directories().contains(folder))
                system_->addPath(folder);
        }
        if (state && !system_->files().contains(target))
            system_->addPath(target);
    }

    void settle()
    {
        settle_->start(pace_.settleMs);
        if (!deadline_->isActive())
            deadline_->start(pace_.deadlineMs);
    }

    // What the file's name leads to, as a folder event finds it.
    struct Named {
        bool resolves = false;
        QString target;
        std::optional<files::FileState> state;

        bool operator==(const Named& other) const
        {
            return resolves == other.resolves && target == other.target &&
                   state.has_value() == other.state.has_value() && (!state || files::sameState(*state, *other.state));
        }
    };

    // Another file of the folder moving puts off no look: only an event that
    // finds the file's name leading elsewhere, or the file changed, does.
    void folderChanged()
    {
        Named named;
        named.resolves = files::resolve(path_, named.target, named.state);
        if (named_ && *named_ == named)
            return;
        named_ = std::move(named);
        settle();
    }

    // A look that runs out of memory is taken again a little later, from the start.
    void look()
    {
        settle_->stop();
        deadline_->stop();
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
        // Anything but a regular file in the file's place is told once, as the reader refuses it, unread.
        if (state->kind != files::Kind::Regular) {
            if (std::exchange(toldOther_, target) != target)
                tell(FileNotice::Kind::Changed, 0, read_ ? read_(path_) : readDocument(path_));
            return;
        }
        toldOther_.clear();
        // Size and times are trusted only where a coarse clock would have told a later write.
        if (seen_ && files::surelyAsStamped(*state, *seen_))
            return;
        const bool firstLook = !seen_;
        seen_ = files::stampOf(*state, 0);
        // The first look follows the file's reading or writing by moments: the
        // file surely as recorded will do, without reading it.
        if (firstLook && files::sameName(target, record_.target) && files::surelyAsStamped(*state, record_.stamp))
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
    const WatchPace pace_;
    QFileSystemWatcher* system_ = nullptr;
    QTimer* settle_ = nullptr;
    QTimer* deadline_ = nullptr;
    QString path_;
    files::FileRecord record_;
    quint64 generation_ = 0;
    std::optional<files::FileStamp> seen_;  // the file as last looked at, its bytes aside
    std::optional<Named> named_;            // what the last folder event found
    std::optional<std::uint64_t> told_;     // the hash of the bytes last told
    QString toldOther_;                     // the target last told as no regular file
    bool goneTold_ = false;
};

}  // namespace

FileWatch::FileWatch(QObject* parent, Read read, WatchPace pace)
    : QObject(parent)
    , thread_(new QThread)
{
    qRegisterMetaType<std::shared_ptr<modMain::FileNotice>>();
    auto* watcher = new Watcher(std::move(read), pace);
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
