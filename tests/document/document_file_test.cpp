// The open file's owner, without a window: each command against each state
// of the file, and what it leaves of the record, the base, the unsaved mark,
// the question to ask and the file on disk.
#include "document/document_file.h"
#include "document/writer.h"
#include "files/temporary_file.h"

#include "test_files.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace modMain {
namespace {

using test_files::contentOf;
using test_files::writeFile;
using Check = DocumentFile::Check;

const QByteArray kRead = "[a]\r\nx=1\r\ny=2\r\n";
const QByteArray kTheirs = "[a]\r\nx=1\r\ny=simulador\r\n";  // the simulator changed y

bool waitFor(const std::function<bool()>& done, int ms = 3000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

// The question a command's outcome calls for.
enum class Asked { Nothing, WriteOverChange, MergeOrReload, ToldGone, Refused };

// An owner of a file in a folder of its own, and what is done to them.
struct Owner {
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    const QString other = folder.filePath("outro.cfg");
    DocumentEditor editor;
    DocumentFile file{editor, nullptr, {}, folder.filePath("versoes")};
    DocumentFile::NoticeAction notice;

    std::string document() const { return documentBytes(editor.document()); }
    std::string base() const
    {
        const KnownFile& known = file.known();
        return std::string(known.base ? known.base->bytes.view() : editor.document().fileBytes().view());
    }
    bool recordIsTheDisk() const
    {
        return files::compareWithDisk(file.known().record, path) == files::OnDisk::AsRecorded;
    }

    Asked open(const QByteArray& text = kRead)
    {
        writeFile(path, text);
        return file.open(path).kind == DocumentFile::ReadOutcome::Kind::Read ? Asked::Nothing : Asked::Refused;
    }
    // The pilot sets x.
    void edit() { EXPECT_EQ(editor.setValue({1, 1}, "meu"), EditOutcome::Done); }
    Asked written(const DocumentFile::WriteOutcome& outcome)
    {
        using Kind = DocumentFile::WriteOutcome::Kind;
        return outcome.kind == Kind::Written          ? Asked::Nothing
               : outcome.kind == Kind::ChangedOutside ? Asked::WriteOverChange
                                                      : Asked::Refused;
    }
    Asked save() { return written(file.save(Check::AskIfChanged)); }
    // Another program changes or removes the file, and the watch tells of it.
    void changedOutside(const QByteArray& text = kTheirs)
    {
        writeFile(path, text);
        EXPECT_TRUE(waitFor([&] { return file.hasNotice(); })) << "no notice";
    }
    void removedOutside()
    {
        QFile::remove(path);
        EXPECT_TRUE(waitFor([&] { return file.hasNotice(); })) << "no notice";
    }
    Asked takeNotice()
    {
        using Kind = DocumentFile::NoticeAction::Kind;
        notice = file.takeNotice();
        switch (notice.kind) {
        case Kind::Reload:
            EXPECT_EQ(file.reload(std::move(notice.read)), EditOutcome::Done);
            return Asked::Nothing;
        case Kind::AskMergeOrReload:
            return Asked::MergeOrReload;
        case Kind::TellGone:
            return Asked::ToldGone;
        case Kind::None:
        case Kind::TellUnreadable:
            break;
        }
        return Asked::Refused;
    }
    // The pilot answers the question with Mesclar, or with Recarregar.
    void merge()
    {
        DocumentFile::PlannedMerge planned = file.planMerge(std::move(notice.read));
        ASSERT_EQ(planned.outcome, DocumentFile::PlannedMerge::Outcome::Planned);
        EXPECT_EQ(file.applyMerge(std::move(planned), {}), EditOutcome::Done);
    }
    void reload() { EXPECT_EQ(file.reload(std::move(notice.read)), EditOutcome::Done); }
};

const std::string kMine = "[a]\r\nx=meu\r\ny=2\r\n";
const std::string kMerged = "[a]\r\nx=meu\r\ny=simulador\r\n";

TEST(DocumentFile, EachCommandLeavesTheRecordTheBaseAndTheUnsavedMarkAsTheDiskIs)
{
    const struct {
        const char* name;
        std::function<Asked(Owner&)> command;  // from a file just read
        Asked asked;
        std::string document;
        QByteArray onDisk;
        bool saved;
        bool recordIsTheDisk;
        std::string base;
    } rows[] = {
        // clang-format off
        {"open", [](Owner&) { return Asked::Nothing; },
         Asked::Nothing, kRead.toStdString(), kRead, true, true, kRead.toStdString()},
        {"save an edit", [](Owner& o) { o.edit(); return o.save(); },
         Asked::Nothing, kMine, kMine.c_str(), true, true, kMine},
        {"save over another program's change", [](Owner& o) { o.edit(); o.changedOutside(); return o.save(); },
         Asked::WriteOverChange, kMine, kTheirs, false, false, kRead.toStdString()},
        {"save over it, as answered", [](Owner& o) {
             o.edit(), o.changedOutside();
             return o.written(o.file.save(Check::Overwrite)); },
         Asked::Nothing, kMine, kMine.c_str(), true, true, kMine},
        {"save as another file", [](Owner& o) {
             o.edit();
             const Asked asked = o.written(o.file.saveAs(o.other, Check::AskIfChanged));
             EXPECT_EQ(o.file.path(), o.other);
             EXPECT_EQ(contentOf(o.other), kMine.c_str());
             EXPECT_EQ(files::compareWithDisk(o.file.known().record, o.other), files::OnDisk::AsRecorded);
             return asked; },
         Asked::Nothing, kMine, kRead, true, false, kMine},
        {"back up to another file", [](Owner& o) {
             o.edit();
             const Asked asked = o.written(o.file.backup(o.other, Check::AskIfChanged));
             EXPECT_EQ(contentOf(o.other), kMine.c_str());
             return asked; },
         Asked::Nothing, kMine, kRead, false, true, kRead.toStdString()},
        {"back up onto the open file", [](Owner& o) { o.edit(); return o.written(o.file.backup(o.path, Check::AskIfChanged)); },
         Asked::Nothing, kMine, kMine.c_str(), true, true, kMine},
        {"another program's change, nothing unsaved: read again", [](Owner& o) { o.changedOutside(); return o.takeNotice(); },
         Asked::Nothing, kTheirs.toStdString(), kTheirs, true, true, kTheirs.toStdString()},
        {"another program's change, unsaved edits: the question", [](Owner& o) {
             o.edit(), o.changedOutside();
             EXPECT_FALSE(o.file.isSaved());  // as soon as it is noticed
             return o.takeNotice(); },
         Asked::MergeOrReload, kMine, kTheirs, false, false, kRead.toStdString()},
        {"merged", [](Owner& o) { o.edit(), o.changedOutside(), o.takeNotice(), o.merge(); return o.save(); },
         Asked::Nothing, kMerged, kMerged.c_str(), true, true, kMerged},
        {"the merge taken back: the record it replaced, and Salvar asks", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice(), o.merge();
             o.file.undo();
             return o.save(); },
         Asked::WriteOverChange, kMine, kTheirs, false, false, kRead.toStdString()},
        {"the merge taken back after a save: the file is still the one written", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice(), o.merge(), o.save();
             o.file.undo();
             EXPECT_FALSE(o.file.isSaved());
             return o.save(); },
         Asked::Nothing, kMine, kMine.c_str(), true, true, kMine},
        {"the merge made again", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice(), o.merge();
             o.file.undo();
             EXPECT_EQ(o.file.redo(), EditOutcome::Done);
             EXPECT_FALSE(o.file.isSaved());
             return o.save(); },
         Asked::Nothing, kMerged, kMerged.c_str(), true, true, kMerged},
        {"undone back to the file as first read after another program's change", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice();  // Manter as minhas
             o.file.undo();
             return Asked::Nothing; },
         Asked::Nothing, kRead.toStdString(), kTheirs, false, false, kRead.toStdString()},
        {"Recarregar: one step of the history", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice(), o.reload();
             EXPECT_TRUE(o.file.isSaved());
             o.file.undo();
             return o.save(); },
         Asked::WriteOverChange, kMine, kTheirs, false, false, kRead.toStdString()},
        {"Recarregar made again", [](Owner& o) {
             o.edit(), o.changedOutside(), o.takeNotice(), o.reload();
             o.file.undo();
             EXPECT_EQ(o.file.redo(), EditOutcome::Done);
             return Asked::Nothing; },
         Asked::Nothing, kTheirs.toStdString(), kTheirs, true, true, kTheirs.toStdString()},
        {"removed by another program: unsaved, and Salvar writes it anew", [](Owner& o) {
             o.removedOutside();
             EXPECT_FALSE(o.file.isSaved());
             EXPECT_EQ(o.takeNotice(), Asked::ToldGone);
             return o.save(); },
         Asked::Nothing, kRead.toStdString(), kRead, true, true, kRead.toStdString()},
        {"removed here (Exluir FS9.cfg): unsaved, told of by nobody", [](Owner& o) {
             QFile::remove(o.path);
             o.file.removedHere();
             EXPECT_FALSE(waitFor([&] { return o.file.hasNotice(); }, 600));
             EXPECT_FALSE(o.file.isSaved());
             return Asked::Nothing; },
         Asked::Nothing, kRead.toStdString(), "<unreadable>", false, true, kRead.toStdString()},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Owner owner;
        ASSERT_EQ(owner.open(), Asked::Nothing);
        EXPECT_EQ(row.command(owner), row.asked);
        EXPECT_EQ(owner.document(), row.document);
        EXPECT_EQ(contentOf(owner.path), row.onDisk);
        EXPECT_EQ(owner.file.isSaved(), row.saved);
        EXPECT_EQ(owner.recordIsTheDisk(), row.recordIsTheDisk);
        EXPECT_EQ(owner.base(), row.base);
    }
}

TEST(DocumentFile, ANoticeComesOnceAndOpeningAnotherFileDropsIt)
{
    Owner owner;
    owner.open();
    owner.edit();
    owner.changedOutside();
    EXPECT_EQ(owner.takeNotice(), Asked::MergeOrReload);
    // Manter as minhas: the same bytes are not asked about again, however the file is touched.
    test_files::setModifiedNs(owner.path, files::nowNs());
    EXPECT_FALSE(waitFor([&] { return owner.file.hasNotice(); }, 800));
    owner.changedOutside("[a]\r\nx=2\r\n");
    EXPECT_EQ(owner.open("[b]\r\n"), Asked::Nothing);
    EXPECT_FALSE(owner.file.hasNotice());
    EXPECT_FALSE(owner.file.history().canUndo());  // another file, another history
}

TEST(DocumentFile, AFileASaveWasCutShortInIsOfferedBackBeforeItIsRead)
{
    for (const auto settle : {DocumentFile::Unfinished::Restore, DocumentFile::Unfinished::Keep}) {
        Owner owner;
        writeFile(owner.path, "[a]\r\nx=rasgado\r\n");
        // What a save cut short left beside it: the file's whole content before it.
        files::TemporaryFile copy(owner.path, files::TemporaryFile::Holds::OldContent,
                                  files::TemporaryFile::Access::OwnerOnly);
        copy.keep();
        copy.close();
        writeFile(copy.name(), kRead);
        EXPECT_EQ(owner.file.open(owner.path).kind, DocumentFile::ReadOutcome::Kind::UnfinishedSave);
        EXPECT_TRUE(owner.file.path().isEmpty());  // nothing read
        EXPECT_EQ(owner.file.settleUnfinishedSave(owner.path, settle), QString());
        EXPECT_EQ(owner.file.open(owner.path).kind, DocumentFile::ReadOutcome::Kind::Read);
        EXPECT_EQ(owner.document(),
                  settle == DocumentFile::Unfinished::Restore ? kRead.toStdString() : "[a]\r\nx=rasgado\r\n");
        EXPECT_FALSE(QFile::exists(copy.name()));
    }
}

TEST(DocumentFile, OpensSavesAndWatchesFilesOfLongAccentedPaths)
{
    for (const int length : test_files::kLongPathLengths) {
        SCOPED_TRACE(length);
        Owner owner;
        const QString file = test_files::longAccentedPath(owner.folder.filePath("a"), length);
        const QString other = test_files::longAccentedPath(owner.folder.filePath("b"), length);
        writeFile(file, kRead);
        ASSERT_EQ(owner.file.open(file).kind, DocumentFile::ReadOutcome::Kind::Read);
        owner.edit();
        EXPECT_EQ(owner.file.save(Check::AskIfChanged).kind, DocumentFile::WriteOutcome::Kind::Written);
        EXPECT_EQ(owner.file.backup(other, Check::AskIfChanged).kind, DocumentFile::WriteOutcome::Kind::Written);
        EXPECT_EQ(contentOf(other), kMine.c_str());
        // Another program's change, told; then Save as over the other file.
        writeFile(file, kTheirs);
        EXPECT_TRUE(waitFor([&] { return owner.file.hasNotice(); })) << "no notice";
        EXPECT_EQ(owner.file.takeNotice().kind, DocumentFile::NoticeAction::Kind::Reload);
        EXPECT_EQ(owner.file.saveAs(other, Check::AskIfChanged).kind, DocumentFile::WriteOutcome::Kind::Written);
        EXPECT_EQ(contentOf(other), kMine.c_str());
        EXPECT_EQ(owner.file.path(), other);
    }
}

#ifndef _WIN32
TEST(DocumentFile, WritesOnlyTheFileThatWasReadAndOnlyRegularFiles)
{
    using Kind = DocumentFile::WriteOutcome::Kind;
    const QString pipeReason = QStringLiteral("É um pipe (FIFO), não um arquivo comum.");
    const QString deviceReason = QStringLiteral("É um dispositivo, não um arquivo comum.");
    // The open file is `fs9.cfg`, a link to `perfil_a.cfg`; `outro.cfg` another name a write may go to.
    const struct {
        const char* name;
        std::function<void(Owner&)> change;  // what another program did
        std::function<DocumentFile::WriteOutcome(Owner&, Check)> write;
        Kind asked;      // the first write, asking
        Kind answered;   // the write again, once told to write over it
        QString reason;  // why the write again failed
    } rows[] = {
        // clang-format off
        {"Salvar, the link repointed to another file",
         [](Owner& o) { QFile::remove(o.path), QFile::link("perfil_b.cfg", o.path); },
         [](Owner& o, Check c) { return o.file.save(c); }, Kind::ChangedOutside, Kind::Written, {}},
        {"Salvar, a link to a device in the file's place",
         [](Owner& o) { QFile::remove(o.path), QFile::link("/dev/null", o.path); },
         [](Owner& o, Check c) { return o.file.save(c); }, Kind::ChangedOutside, Kind::Failed, deviceReason},
        {"Salvar, a pipe in the file's place",
         [](Owner& o) { QFile::remove(o.path), ::mkfifo(QFile::encodeName(o.path).constData(), 0644); },
         [](Owner& o, Check c) { return o.file.save(c); }, Kind::ChangedOutside, Kind::Failed, pipeReason},
        {"Salvar Como to a link to a device",
         [](Owner& o) { QFile::link("/dev/null", o.other); },
         [](Owner& o, Check c) { return o.file.saveAs(o.other, c); }, Kind::Failed, Kind::Failed, deviceReason},
        {"Fazer backup to a pipe",
         [](Owner& o) { ::mkfifo(QFile::encodeName(o.other).constData(), 0644); },
         [](Owner& o, Check c) { return o.file.backup(o.other, c); }, Kind::Failed, Kind::Failed, pipeReason},
        {"Fazer backup to the device itself",
         [](Owner&) {},
         [](Owner& o, Check c) { return o.file.backup("/dev/null", c); }, Kind::Failed, Kind::Failed, deviceReason},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Owner owner;
        owner.file.setWatching(DocumentFile::Watching::Off);
        const QString profileA = owner.folder.filePath("perfil_a.cfg");
        const QString profileB = owner.folder.filePath("perfil_b.cfg");
        writeFile(profileA, kRead);
        writeFile(profileB, "[b]\r\n");
        ASSERT_TRUE(QFile::link("perfil_a.cfg", owner.path));
        ASSERT_EQ(owner.file.open(owner.path).kind, DocumentFile::ReadOutcome::Kind::Read);
        owner.edit();
        row.change(owner);
        EXPECT_EQ(row.write(owner, Check::AskIfChanged).kind, row.asked);
        EXPECT_EQ(contentOf(profileB), "[b]\r\n");
        const DocumentFile::WriteOutcome again = row.write(owner, Check::Overwrite);
        EXPECT_EQ(again.kind, row.answered);
        EXPECT_EQ(again.error, row.reason);
        EXPECT_EQ(contentOf(profileA), kRead);
        EXPECT_EQ(owner.file.isSaved(), again.kind == Kind::Written);
    }
}
#endif

}  // namespace
}  // namespace modMain
