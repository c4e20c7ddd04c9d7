#include "files/file_saving.h"

#include "files/content_hash.h"
#include "files/file_reasons.h"
#include "files/leftovers.h"
#include "files/open_file.h"
#include "files/temporary_file.h"

namespace files {
namespace {

// How a save writes the content: into a new file put in place of none or of
// the old one, or over the file itself.
enum class Way { NewFile, Replacing, InPlace };

SaveResult failure(int error)
{
    return {false, {}, systemReason(error)};
}

// Hands the content to the file from its start, hashing it; `end` gets where
// it ended. False, the system's error left, when a write fails.
bool writeContent(const OpenFile& file, const ContentSource& content, ContentHash& hash, std::int64_t& end)
{
    end = 0;
    return content([&](std::string_view piece) {
        hash.add(piece);
        if (!systemCalls().write(file.get(), piece.data(), piece.size(), end))
            return false;
        end += static_cast<std::int64_t>(piece.size());
        return true;
    });
}

// Copies all of one file over another from its start; `end` gets where it ended.
bool copyOver(const OpenFile& from, const OpenFile& to, std::int64_t& end)
{
    end = 0;
    return from.readThrough([&](std::string_view piece) {
        if (!systemCalls().write(to.get(), piece.data(), piece.size(), end))
            return false;
        end += static_cast<std::int64_t>(piece.size());
        return true;
    });
}

// Writes the content over the file itself, keeping the file and all it has:
// its old content is copied beside it first, and removed once the new content
// is on disk; should the writing fail, the old content is put back. The copy
// takes the name that marks an unfinished save only once it is whole, so
// that a save cut short is found, and what the file held before it, offered back.
SaveResult writeInPlace(const QString& target, const ContentSource& content)
{
    const SystemCalls& calls = systemCalls();
    OpenFile file(calls.openInPlace(nativeName(target)));
    if (!file.isOpen())
        return failure(lastError());
    TemporaryFile copy(target, TemporaryFile::Holds::NewContent, TemporaryFile::Access::OwnerOnly);
    std::int64_t end = 0;
    if (!copy.isOpen() || !copyOver(file, copy.file(), end) || !calls.flush(copy.file().get()) || !copy.close() ||
        !copy.rename(TemporaryFile::Holds::OldContent))
        return failure(lastError());

    ContentHash hash;
    if (!writeContent(file, content, hash, end) || !calls.truncate(file.get(), end) || !calls.flush(file.get())) {
        // The old content goes back; where even that fails, its copy stays beside the file.
        const int error = lastError();
        const OpenFile old(calls.openForReading(nativeName(copy.name())));
        if (!old.isOpen() || !copyOver(old, file, end) || !calls.truncate(file.get(), end) || !calls.flush(file.get()))
            copy.keep();
        return failure(error ? error : ioError());
    }
    FileState written;
    if (!stateOf(file.get(), written) || !file.close())
        return failure(lastError());
    return {true, {target, stampOf(written, hash.value())}, {}};
}

// Writes the content into the temporary file and puts it in the target's place.
SaveResult writeReplacing(const QString& target, TemporaryFile& temporary, Way way, const ContentSource& content)
{
    ContentHash hash;
    std::int64_t end = 0;
    FileState written;
    if (!writeContent(temporary.file(), content, hash, end) || !systemCalls().flush(temporary.file().get()) ||
        !stateOf(temporary.file().get(), written) || !temporary.close() ||
        !temporary.commit(way == Way::Replacing ? TemporaryFile::Placing::Replacing : TemporaryFile::Placing::New))
        return failure(lastError());
    // Put in place the new file may get another index (ReplaceFileW keeps the old one's).
    std::optional<FileState> placed;
    QString placedName;
    if (resolve(target, placedName, placed) && placed)
        written = *placed;
    return {true, {target, stampOf(written, hash.value())}, {}};
}

}  // namespace

SaveResult replaceFile(const QString& path, const ContentSource& content)
{
    QString target;
    std::optional<FileState> state;
    if (!resolve(path, target, state))
        return failure(lastError());
    if (state) {
        // Bytes that went to a device would be gone: only regular files are written, as only they are read.
        if (state->kind != Kind::Regular)
            return {false, {}, notRegularReason(state->kind)};
        if (state->readOnly)
            return {false, {}, readOnlyReason()};
        if (!mayWrite(target))
            return failure(lastError());
        removeLeftoversOf(target);
    }

    TemporaryFile temporary(target, TemporaryFile::Holds::NewContent,
                            state ? TemporaryFile::Access::OwnerOnly : TemporaryFile::Access::AsNewFile);
    if (!temporary.isOpen())
        return failure(lastError());
    // A new file takes the old one's place only where it keeps all the old one
    // has, its other names included; otherwise the old one is written in place.
    Way way = Way::NewFile;
    if (state) {
        const OpenFile original(systemCalls().openForReading(nativeName(target)));
        if (!original.isOpen())
            return failure(lastError());
        way = state->links == 1 && keepWhatItHas(original.get(), *state, temporary.file().get()) ? Way::Replacing
                                                                                                 : Way::InPlace;
    }
    if (way == Way::InPlace)
        temporary.discard();
    SaveResult saved = way == Way::InPlace ? writeInPlace(target, content)
                                           : writeReplacing(target, temporary, way, content);
    // The file whole, what an earlier save cut short left of it goes.
    if (saved.saved)
        removeUnfinishedSavesOf(target);
    return saved;
}

SaveResult restoreUnfinishedSave(const QString& path)
{
    const std::optional<QString> copy = unfinishedSaveOf(path);
    if (!copy)
        return failure(notFoundError());
    return replaceFile(path, [&](const ByteSink& sink) {
        const OpenFile old(systemCalls().openForReading(nativeName(*copy)));
        return old.isOpen() && old.readThrough(sink);
    });
}

}  // namespace files
