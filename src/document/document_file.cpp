#include "document/document_file.h"

#include "document/writer.h"
#include "files/leftovers.h"

namespace modMain {

DocumentFile::DocumentFile(DocumentEditor& editor, QObject* parent, FileWatch::Read read, QString versionFolder)
    : QObject(parent)
    , editor_(editor)
    , watch_(nullptr, std::move(read))
    , keeper_(std::move(versionFolder))
{
    editor_.setFollower(this);
    connect(&watch_, &FileWatch::noticed, this, &DocumentFile::receive);
    connect(&keeper_, &VersionKeeper::failed, this, &DocumentFile::versionsNotKept);
}

void DocumentFile::keepVersion(const FileBytes& bytes, files::VersionSource source)
{
    keeper_.keep(known_.record.target, bytes, source);
}

DocumentFile::~DocumentFile()
{
    editor_.setFollower(nullptr);
}

void DocumentFile::setWatching(Watching watching)
{
    watching_ = watching;
    watchAgain();
}

void DocumentFile::watchAgain()
{
    // A notice dropped here is told again by the new watch, unless it was of the file as now recorded.
    notice_.reset();
    watch_.watch(watching_ == Watching::On ? path_ : QString(), known_.record, settled_);
}

DocumentFile::ReadOutcome DocumentFile::open(const QString& path, const files::WhileWaiting& whileWaiting)
{
    using Kind = ReadOutcome::Kind;
    // A file a save was cut short in may be torn: it is never read so silently.
    if (files::unfinishedSaveOf(path))
        return {Kind::UnfinishedSave, {}};
    // Read into a document of its own: a file that does not load leaves the
    // one open untouched, and a notice about it comes afterwards.
    reading_ = true;
    ReadResult read = readDocument(path, whileWaiting);
    reading_ = false;
    if (!read.document) {
        if (notice_)
            emit noticed();
        return {Kind::Refused, read.error};
    }
    editor_.replace(std::move(*read.document));
    path_ = path;
    known_ = {path, std::move(read.record), nullptr};
    settled_ = {};
    keepVersion(editor_.document().fileBytes(), files::VersionSource::Opened);
    watchAgain();
    return {Kind::Read, {}};
}

QString DocumentFile::settleUnfinishedSave(const QString& path, Unfinished settle)
{
    if (settle == Unfinished::Restore) {
        const files::SaveResult restored = files::restoreUnfinishedSave(path);
        return restored.saved ? QString() : restored.error;
    }
    QString target;
    std::optional<files::FileState> state;
    if (files::resolve(path, target, state))
        files::removeUnfinishedSavesOf(target);
    return {};
}

DocumentFile::WriteOutcome DocumentFile::write(const QString& path, Check check, Becomes becomes)
{
    files::OnDisk onDisk = files::compareWithDisk(known_.record, path);
    // The open file's own name leading to another file (a link repointed, a device put in its place) is a change too.
    if (onDisk == files::OnDisk::Elsewhere && path == known_.name && !known_.record.target.isEmpty())
        onDisk = files::OnDisk::Changed;
    if (onDisk == files::OnDisk::Changed && check == Check::AskIfChanged) {
        history_.resetClean();  // what the file holds now is no step of the history
        return {WriteOutcome::Kind::ChangedOutside, {}};
    }
    // The file written is the open one from now on: what a later merge starts from, and what is watched.
    const bool openFile = becomes == Becomes::TheOpenFile || onDisk != files::OnDisk::Elsewhere;
    std::optional<FileBytes> written;
    files::SaveResult saved = saveDocument(editor_.document(), path, openFile ? &written : nullptr);
    if (!saved.saved)
        return {WriteOutcome::Kind::Failed, saved.error};
    if (openFile) {
        // Without the memory for the base, the file read before is one, which only asks more.
        std::shared_ptr<const MergeBase> base;
        try {
            if (written)
                base = std::make_shared<MergeBase>(MergeBase{*written, mapOfLiveContent(editor_.document())});
        } catch (const std::bad_alloc&) {
            base.reset();
        }
        known_ = {path, std::move(saved.record), std::move(base)};
        settled_ = {};
        history_.setClean();
        if (written)
            keepVersion(*written, files::VersionSource::SavedHere);
        watchAgain();
    }
    return {WriteOutcome::Kind::Written, {}};
}

DocumentFile::WriteOutcome DocumentFile::save(Check check)
{
    if (path_.isEmpty())
        return {WriteOutcome::Kind::Failed, {}};
    return write(path_, check, Becomes::TheOpenFile);
}

DocumentFile::WriteOutcome DocumentFile::saveAs(const QString& path, Check check)
{
    path_ = path;
    return write(path, check, Becomes::TheOpenFile);
}

DocumentFile::WriteOutcome DocumentFile::backup(const QString& path, Check check)
{
    return write(path, check, Becomes::ACopy);
}

bool DocumentFile::holds(const QString& path) const
{
    return files::compareWithDisk(known_.record, path) != files::OnDisk::Elsewhere;
}

void DocumentFile::removedHere()
{
    history_.resetClean();
    settled_ = {std::nullopt, true};
    watchAgain();
}

void DocumentFile::receive(std::shared_ptr<FileNotice> notice)
{
    // Read, written or merged since: the file is measured against another record now.
    if (notice->against != known_.record)
        return;
    // Whether the document was saved is judged as the first of the changes came.
    noticeFoundSaved_ = notice_ ? noticeFoundSaved_ : history_.isClean();
    if (notice->kind == FileNotice::Kind::Changed && notice->read.document)
        keepVersion(notice->read.document->fileBytes(), files::VersionSource::ChangedElsewhere);
    notice_ = std::move(notice);
    history_.resetClean();
    if (!reading_)
        emit noticed();
}

DocumentFile::NoticeAction DocumentFile::takeNotice()
{
    if (!notice_)
        return {};
    const std::shared_ptr<FileNotice> notice = std::exchange(notice_, nullptr);
    settled_ = notice->kind == FileNotice::Kind::Gone ? SettledState{std::nullopt, true}
                                                      : SettledState{notice->contentHash, false};
    if (notice->kind == FileNotice::Kind::Gone)
        return {NoticeAction::Kind::TellGone, {}};
    if (!notice->read.document)
        return {NoticeAction::Kind::TellUnreadable, std::move(notice->read)};
    return {noticeFoundSaved_ ? NoticeAction::Kind::Reload : NoticeAction::Kind::AskMergeOrReload,
            std::move(notice->read)};
}

EditOutcome DocumentFile::reload(ReadResult read)
{
    const KnownFile after{known_.name, std::move(read.record), nullptr};
    swapping_ = ChangeCommand::Swap{known_, after};
    const EditOutcome outcome = editor_.reload(std::move(*read.document));
    swapping_.reset();
    if (outcome != EditOutcome::Done)
        return outcome;
    known_ = after;
    history_.setClean();
    watchAgain();
    return outcome;
}

DocumentFile::PlannedMerge DocumentFile::planMerge(ReadResult theirs) const
{
    using Outcome = PlannedMerge::Outcome;
    if (!theirs.document)
        return {Outcome::Unreadable, theirs.error, std::nullopt, {}};
    const Document& mine = editor_.document();
    ReadResult base = parseDocument(known_.base ? known_.base->bytes : mine.fileBytes());
    if (!base.document)
        return {Outcome::BaseUnreadable, base.error, std::nullopt, {}};
    const BaseMap map = known_.base ? known_.base->map : mapOfLiveContent(*base.document);
    MergePlan plan(*base.document, std::move(*theirs.document), mine, map);
    if (plan.outcome() == MergePlan::Outcome::NothingInCommon)
        return {Outcome::NothingInCommon, {}, std::nullopt, {}};
    return {Outcome::Planned, {}, std::move(plan), std::move(theirs.record)};
}

DocumentFile::PlannedMerge DocumentFile::planMergeWith(const QString& path)
{
    ReadResult theirs = readDocument(path);
    if (theirs.document)
        keepVersion(theirs.document->fileBytes(), files::VersionSource::ChangedElsewhere);
    return planMerge(std::move(theirs));
}

EditOutcome DocumentFile::applyMerge(PlannedMerge planned, const std::vector<bool>& mineWins)
{
    const bool changesTheirs = planned.plan->changesTheirs(mineWins);
    std::optional<MergedDocument> merged = std::move(*planned.plan).merged(mineWins);
    if (!merged)
        return EditOutcome::TooManyGroups;
    const KnownFile after{
        known_.name, std::move(planned.theirs),
        std::make_shared<MergeBase>(MergeBase{merged->document.fileBytes(), std::move(merged->theirs)})};
    swapping_ = ChangeCommand::Swap{known_, after};
    const EditOutcome outcome = editor_.merge(std::move(merged->document));
    swapping_.reset();
    if (outcome != EditOutcome::Done)
        return outcome;
    known_ = after;
    // The merged document is what the file holds only where the pilot's side added nothing to it.
    if (changesTheirs)
        history_.resetClean();
    else
        history_.setClean();
    watchAgain();
    return outcome;
}

const Change* DocumentFile::changeToUndo() const
{
    const auto* command = static_cast<const ChangeCommand*>(history_.command(history_.index() - 1));
    return command ? &command->change() : nullptr;
}

const Change* DocumentFile::changeToRedo() const
{
    const auto* command = static_cast<const ChangeCommand*>(history_.command(history_.index()));
    return command ? &command->change() : nullptr;
}

void DocumentFile::undo()
{
    const auto* command = static_cast<const ChangeCommand*>(history_.command(history_.index() - 1));
    if (!command)
        return;
    editor_.undo(command->change());
    history_.undo();
    if (command->swap())
        followSwap(command->swap()->after, command->swap()->before);
}

EditOutcome DocumentFile::redo()
{
    const auto* command = static_cast<const ChangeCommand*>(history_.command(history_.index()));
    if (!command)
        return EditOutcome::NoTarget;
    if (const EditOutcome outcome = editor_.redo(command->change()); outcome != EditOutcome::Done)
        return outcome;
    history_.redo();
    if (command->swap())
        followSwap(command->swap()->before, command->swap()->after);
    return EditOutcome::Done;
}

void DocumentFile::followSwap(const KnownFile& from, const KnownFile& to)
{
    // Written since, the file is still the one written; only the base, which
    // lies in the other document, is lost.
    if (known_ == from)
        known_ = to;
    else
        known_.base.reset();
    watchAgain();
}

void DocumentFile::aboutToReplace() noexcept
{
    if (follower_)
        follower_->aboutToReplace();
}

void DocumentFile::replaced() noexcept
{
    history_.clear();  // a new document starts a history of its own
    if (follower_)
        follower_->replaced();
}

bool DocumentFile::followMade(const Change& change) noexcept
{
    ChangeCommand* command = nullptr;
    try {
        auto made = std::make_unique<ChangeCommand>(change, change.swapsDocument() ? swapping_ : std::nullopt);
        history_.push(made.get());
        command = made.release();  // the history's now
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (follower_ && !follower_->followMade(change)) {
        // Taken back from the history too: an obsolete step is dropped once undone.
        command->setObsolete(true);
        history_.undo();
        return false;
    }
    return true;
}

void DocumentFile::followStep(const Change& change, ChangeEvent event) noexcept
{
    if (follower_)
        follower_->followStep(change, event);
}

}  // namespace modMain
