#pragma once

#include "files/file_bytes.h"
#include "files/version_store.h"

#include <QObject>
#include <QString>

class QThread;

namespace modMain {

// Keeps versions of the open file on a thread of its own, so that a read or a
// save never waits on their compression, and never fails for them: a store
// that cannot be written is told once per run of the program.
class VersionKeeper : public QObject {
    Q_OBJECT

public:
    explicit VersionKeeper(QString folder = files::VersionStore::defaultFolder(), QObject* parent = nullptr);
    ~VersionKeeper() override;

    const QString& folder() const { return folder_; }

    // Keeps the bytes as a version of `target` (a name the file's content lives under).
    void keep(const QString& target, files::FileBytes bytes, files::VersionSource source);
    // Returns once every version handed on so far is kept.
    void finish();

signals:
    // In the thread the keeper was made in; once per run of the program.
    void failed(QString reason);

private:
    QString folder_;
    QThread* thread_;
    QObject* worker_;  // lives in thread_
};

}  // namespace modMain
