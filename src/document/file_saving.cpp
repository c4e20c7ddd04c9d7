#include "document/file_saving.h"

#include "document/content_hash.h"
#include "document/file_reasons.h"
#include "document/leftovers.h"
#include "document/open_file.h"

namespace modMain {
namespace {

SaveResult failure(int error)
{
    return {false, {}, systemReason(error)};
}

// Hands the content to the file from its start, hashing it; `end` gets where
// it ended. False, the system's error left, when a write fails.
bool writeContent(const files::OpenFile& file, const ContentSource& content, ContentHash& hash, std::int64_t& end)
{
    end = 0;
    return content([&](std::string_view piece) {
        hash.add(piece);
        if (!files::systemCalls().write(file.get(), piece.data(), piece.size(), end))
            return false;
        end += static_cast<std::int64_t>(piece.size());
        return true;
    });
}

// Copies all of one file over another from its start; `end` gets where it ended.
bool copyOver(const files::OpenFile& from, const files::OpenFile& to, std::int64_t& end)
{
    end = 0;
    return from.readThrough([&](std::string_view piece) {
        if (!files::systemCalls().write(to.get(), piece.data(), piece.size(), end))
            return false;
        end += static_cast<std::int64_t>(piece.size());
        return true;
    });
}

// Writes the content over the file itself, keeping the file and all it has:
// its old content is copied beside it first, and removed once the new content
// is on disk; should the writing fail, the old content is put back.
SaveResult writeKeepingCopy(const QString& target, const ContentSource& content)
{
    const files::SystemCalls& calls = files::systemCalls();
    files::OpenFile file(calls.openInPlace(files::nativeName(target)));
    if (!file.isOpen())
        return failure(files::lastError());
    QString copyName;
    files::OpenFile copy = leftovers::createBeside(target, "-copia-", false, copyName);
    if (!copy.isOpen())
        return failure(files::lastError());
    const auto fail = [&](int error) {
        copy = files::OpenFile();
        files::removeFile(copyName);
        return failure(error);
    };
    std::int64_t end = 0;
    if (!copyOver(file, copy, end) || !calls.flush(copy.get()))
        return fail(files::lastError());

    ContentHash hash;
    if (!writeContent(file, content, hash, end) || !calls.truncate(file.get(), end) || !calls.flush(file.get())) {
        // The old content goes back; where even that fails, its copy stays beside the file.
        const int error = files::lastError();
        if (copyOver(copy, file, end) && calls.truncate(file.get(), end) && calls.flush(file.get())) {
            copy = files::OpenFile();
            files::removeFile(copyName);
        }
        return failure(error ? error : files::ioError());
    }
    files::FileState written;
    if (!files::stateOf(file.get(), written) || !file.close())
        return fail(files::lastError());
    copy = files::OpenFile();
    files::removeFile(copyName);
    return {true, {target, stampOf(written, hash.value())}, {}};
}

// A device is written as it is: there is no file to replace.
SaveResult writeDevice(const QString& target, const ContentSource& content)
{
    files::OpenFile file(files::systemCalls().openInPlace(files::nativeName(target)));
    ContentHash hash;
    std::int64_t end = 0;
    if (!file.isOpen() || !writeContent(file, content, hash, end) || !file.close())
        return failure(files::lastError());
    return {true, {}, {}};
}

}  // namespace

SaveResult replaceFile(const QString& path, const ContentSource& content)
{
    const files::SystemCalls& calls = files::systemCalls();
    QString target;
    std::optional<files::FileState> state;
    if (!files::resolve(path, target, state))
        return failure(files::lastError());
    if (state) {
        if (state->kind != files::Kind::Regular && (state->kind != files::Kind::Device || !files::writesDevices()))
            return {false, {}, notRegularReason(state->kind)};
        if (state->readOnly)
            return {false, {}, readOnlyReason()};
        if (!files::mayWrite(target))
            return failure(files::lastError());
        if (state->kind == files::Kind::Device)
            return writeDevice(target, content);
        leftovers::removeFor(target);
        // A new file would leave the other names of the old one behind.
        if (state->links > 1)
            return writeKeepingCopy(target, content);
    }

    QString temporary;
    files::OpenFile file = leftovers::createBeside(target, "-", !state, temporary);
    if (!file.isOpen())
        return failure(files::lastError());
    const auto fail = [&](int error) {
        file = files::OpenFile();
        files::removeFile(temporary);
        return failure(error);
    };
    if (state) {
        // A new file that cannot keep what the old one has is not made: the old one is written in place.
        const files::OpenFile original(calls.openForReading(files::nativeName(target)));
        if (!original.isOpen())
            return fail(files::lastError());
        if (!files::keepWhatItHas(original.get(), *state, file.get())) {
            file = files::OpenFile();
            files::removeFile(temporary);
            return writeKeepingCopy(target, content);
        }
    }

    ContentHash hash;
    std::int64_t end = 0;
    if (!writeContent(file, content, hash, end))
        return fail(files::lastError());
    files::FileState written;
    if (!calls.flush(file.get()) || !files::stateOf(file.get(), written) || !file.close())
        return fail(files::lastError());
    if (!calls.putInPlace(files::nativeName(temporary), files::nativeName(target), state.has_value()))
        return fail(files::lastError());
    // Put in place the new file may get another index (ReplaceFileW keeps the old one's).
    std::optional<files::FileState> placed;
    QString placedName;
    if (files::resolve(target, placedName, placed) && placed)
        written = *placed;
    return {true, {target, stampOf(written, hash.value())}, {}};
}

}  // namespace modMain
