#pragma once

#include "document/reader.h"
#include "files/file_record.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;

namespace modMain {

// What became of the watched file: changed by another program (read again
// whole, or why it no longer loads), or gone (deleted, or renamed away).
struct FileNotice {
    enum class Kind { Changed, Gone };
    Kind kind = Kind::Changed;
    files::FileRecord against;  // the record the file was measured against
    ReadResult read;            // Changed: the file as it is now
};

// Watches the file a window has open on a thread of its own, so that a
// stalled folder never holds up the window: the file, and its folder, where a
// save by rename puts another file in its place. Events only prompt a look:
// the file counts as changed when it is no longer as recorded (which file it
// is, its size, its time, its bytes). Each state of the file is told once,
// and its going, once. Watching anew drops what an earlier watch noticed and
// has not told yet.
class FileWatch : public QObject {
    Q_OBJECT

public:
    explicit FileWatch(QObject* parent = nullptr);
    ~FileWatch() override;

    // Watches the file at `path`, measured against `record` from now on; an
    // empty path watches nothing. `gone`: the file is known to be gone
    // already (removed by this program), which is not told.
    void watch(const QString& path, const files::FileRecord& record, bool gone = false);

signals:
    // In the thread the watch was made in.
    void noticed(std::shared_ptr<modMain::FileNotice> notice);

private:
    QThread* thread_;
    QObject* watcher_;        // lives in thread_
    quint64 generation_ = 0;  // of the latest watch
};

}  // namespace modMain
