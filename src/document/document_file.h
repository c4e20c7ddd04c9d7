#pragma once

#include "document/change_command.h"
#include "document/document_editor.h"
#include "document/file_watch.h"
#include "document/known_file.h"
#include "document/merge.h"
#include "document/reader.h"
#include "document/version_keeper.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <optional>
#include <vector>

namespace modMain {

// The open file's owner: the path "Salvar" writes, what is known of the file
// (its record and the base of a merge), the watch and the notice it has not
// handed on yet, and the history, which knows the step whose document the
// file on disk holds. Every command on the file goes through it and returns
// an outcome; whoever shows the document asks the questions an outcome calls
// for. It follows the document's editor, and is followed in turn by whoever
// shows the document.
//
// The disk follows the history:
// - the document is saved while the history is at the step the file holds; a
//   save, a reload and a merge that changes nothing of the file make the
//   current step that one, and another program's change (or removal) of the
//   file leaves none;
// - a reload and a merge are steps of the history; taking one back or making
//   it again brings back what was known of the file before or after it,
//   unless the file was written since.
class DocumentFile : public QObject, private DocumentFollower {
    Q_OBJECT

public:
    // `read`: how the watch reads a changed file; `versionFolder`: where the
    // file's versions are kept (the user's data folder's, unless a test keeps them elsewhere).
    explicit DocumentFile(DocumentEditor& editor, QObject* parent = nullptr, FileWatch::Read read = {},
                          QString versionFolder = files::VersionStore::defaultFolder());
    ~DocumentFile() override;

    void setFollower(DocumentFollower* follower) { follower_ = follower; }
    DocumentEditor& editor() { return editor_; }

    QUndoStack& history() { return history_; }
    const QUndoStack& history() const { return history_; }
    // The file "Salvar" writes, or none.
    const QString& path() const { return path_; }
    const KnownFile& known() const { return known_; }
    bool isSaved() const { return history_.isClean(); }

    // Whether another program's change to the file is noticed as it happens,
    // as it is unless a test of what saving checks turns it off.
    enum class Watching { On, Off };
    void setWatching(Watching watching);

    // Reads the file at `path` into the document, which starts a history of
    // its own; otherwise why not, and nothing changes. A file beside which an
    // unfinished save left the content it had before is not read: the user
    // settles that first.
    struct ReadOutcome {
        enum class Kind { Read, Refused, UnfinishedSave };
        Kind kind = Kind::Refused;
        QString error;  // Refused: why
    };
    ReadOutcome open(const QString& path, const files::WhileWaiting& whileWaiting = {});
    // The content an unfinished save left beside the file put back, or left
    // aside; either way it is gone then. Why not, when it could not be put back.
    enum class Unfinished { Restore, Keep };
    QString settleUnfinishedSave(const QString& path, Unfinished settle);

    // Whether a write over a file that another program changed since it was
    // last read or written is refused (to be asked about), or made.
    enum class Check { AskIfChanged, Overwrite };
    struct WriteOutcome {
        enum class Kind { Written, ChangedOutside, Failed };
        Kind kind = Kind::Failed;
        QString error;  // Failed: why, in words for the user
    };
    // To the file's path; Save as makes `path` the file's path even when the write fails.
    WriteOutcome save(Check check);
    WriteOutcome saveAs(const QString& path, Check check);
    // A copy of the document; written to the open file (by any name), it is a save.
    WriteOutcome backup(const QString& path, Check check);

    // Whether `path` leads to the open file.
    bool holds(const QString& path) const;
    // This program removed the open file: nothing on disk holds the document,
    // and the watch does not tell of it.
    void removedHere();

    // What to do about another program's change that the watch told of: read
    // the file again (nothing was unsaved), ask whether to merge or read it
    // again, or tell that it has gone or no longer loads.
    struct NoticeAction {
        enum class Kind { None, Reload, AskMergeOrReload, TellGone, TellUnreadable };
        Kind kind = Kind::None;
        ReadResult read;  // the file as it is now; TellUnreadable: why not
    };
    bool hasNotice() const { return notice_ != nullptr; }
    NoticeAction takeNotice();

    // The file as read takes the document's place, as one step of the history.
    EditOutcome reload(ReadResult read);

    // A merge of the pilot's changes since the base with the file as it is
    // now, worked out before anything changes.
    struct PlannedMerge {
        enum class Outcome { Planned, Unreadable, BaseUnreadable, NothingInCommon };
        Outcome outcome = Outcome::Planned;
        QString error;  // Unreadable, BaseUnreadable: why
        std::optional<MergePlan> plan;
        files::FileRecord theirs;
    };
    PlannedMerge planMerge(ReadResult theirs) const;
    // The same with the file read again: another program's change, seen, kept as a version.
    PlannedMerge planMergeWith(const QString& path);
    // The merged document takes the document's place, as one step of the
    // history; TooManyGroups where it would not fit in a document.
    EditOutcome applyMerge(PlannedMerge planned, const std::vector<bool>& mineWins);

    // The versions kept of the open file (by the name its content lives under).
    files::VersionStore versions() const { return files::VersionStore(keeper_.folder()); }
    const QString& versionsOf() const { return known_.record.target; }
    // Returns once every version handed on so far is kept.
    void finishKeepingVersions() { keeper_.finish(); }

    // The change an undo or a redo would take back or make again, or none.
    const Change* changeToUndo() const;
    const Change* changeToRedo() const;
    void undo();
    EditOutcome redo();

signals:
    // A notice waits for takeNotice.
    void noticed();
    // Versions could not be kept, once per run of the program; reads and saves go on.
    void versionsNotKept(QString reason);

private:
    void aboutToReplace() noexcept override;
    void replaced() noexcept override;
    bool followMade(const Change& change) noexcept override;
    void followStep(const Change& change, ChangeEvent event) noexcept override;

    enum class Becomes { TheOpenFile, ACopy };
    WriteOutcome write(const QString& path, Check check, Becomes becomes);
    void receive(std::shared_ptr<FileNotice> notice);
    // A step that put another document in place was taken back or made again.
    void followSwap(const KnownFile& from, const KnownFile& to);
    void watchAgain();
    void keepVersion(const FileBytes& bytes, files::VersionSource source);

    DocumentEditor& editor_;
    DocumentFollower* follower_ = nullptr;
    QUndoStack history_;
    QString path_;
    KnownFile known_;
    FileWatch watch_;
    VersionKeeper keeper_;
    Watching watching_ = Watching::On;
    std::shared_ptr<FileNotice> notice_;           // not handed on yet
    SettledState settled_;                         // what was handed on of the file as it is
    bool noticeFoundSaved_ = false;                // the document was saved when the file changed
    bool reading_ = false;                         // a notice waits until the read is done
    std::optional<ChangeCommand::Swap> swapping_;  // what the step being made knows
};

}  // namespace modMain
