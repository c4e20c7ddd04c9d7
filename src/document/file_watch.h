#pragma once

#include "document/reader.h"
#include "files/file_record.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace modMain {

// What became of the watched file: changed by another program (read again
// whole, or why it no longer loads), or gone (deleted, or renamed away).
struct FileNotice {
    enum class Kind { Changed, Gone };
    Kind kind = Kind::Changed;
    files::FileRecord against;      // the record the file was measured against
    std::uint64_t contentHash = 0;  // Changed: the hash of the bytes that were found
    ReadResult read;                // Changed: the file as it is now
};

// What need not be told as a watch starts: a state of the file already handed
// on (its bytes, or its going).
struct SettledState {
    std::optional<std::uint64_t> contentHash;
    bool gone = false;
};

// How long the file is let be after an event before it is looked at: a
// program writing it sends several events, and the look waits for the last,
// but never longer than the deadline after the first.
struct WatchPace {
    int settleMs = 150;
    int deadlineMs = 800;
};

// Watches the file a window has open on a thread of its own, so that a
// stalled folder never holds up the window: the file, its folders (where a
// save by rename puts another file in its place, and the folder that holds
// them, where they are renamed away). Events only prompt a look, once the file
// has been let be for a moment after the last one, and within a second of the
// first however many follow; an event of another file of the folder puts off
// nothing. The file counts as changed when its bytes are neither those
// recorded nor those last told (size and times alone decide only for a file
// written longer ago than a coarse clock's tick), and its name leading to
// another file, or to no regular file, is a change too. Each state of the
// file is told once, and its going, once. Watching anew drops what an earlier
// watch noticed and has not told yet.
class FileWatch : public QObject {
    Q_OBJECT

public:
    // How a changed file is read (readDocument, unless a test reads otherwise).
    using Read = std::function<ReadResult(const QString& path)>;

    explicit FileWatch(QObject* parent = nullptr, Read read = {}, WatchPace pace = {});
    ~FileWatch() override;

    // Watches the file at `path`, measured against `record` from now on; an
    // empty path watches nothing.
    void watch(const QString& path, const files::FileRecord& record, const SettledState& settled = {});

signals:
    // In the thread the watch was made in.
    void noticed(std::shared_ptr<modMain::FileNotice> notice);

private:
    QThread* thread_;
    QObject* watcher_;        // lives in thread_
    quint64 generation_ = 0;  // of the latest watch
};

}  // namespace modMain
