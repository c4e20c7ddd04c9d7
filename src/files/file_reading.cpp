#include "files/file_reading.h"

#include "files/content_hash.h"
#include "files/file_reasons.h"
#include "files/open_file.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace files {
namespace {

using namespace std::chrono_literals;

// A file that changes while it is read is read again this many times at most.
constexpr int kReadAttempts = 5;
// How long a read waits for another program to close the file it writes.
constexpr auto kWriterWait = 2s;
constexpr auto kWriterPoll = 50ms;
// A file written this recently may still be being written: it is read twice.
constexpr auto kRecent = 2s;
constexpr auto kSecondReadPause = 200ms;

FileContent readFailure(const QString& reason)
{
    return {std::nullopt, {}, reason};
}

// Waits a moment, letting the window answer meanwhile.
void pause(std::chrono::milliseconds length, const WhileWaiting& whileWaiting)
{
    const auto until = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < until) {
        if (whileWaiting)
            whileWaiting();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            10ms, std::max<std::chrono::steady_clock::duration>(until - std::chrono::steady_clock::now(), 0ms)));
    }
}

// Opens the file for reading; where the system refuses to while another
// program writes it, waits for that program to close it.
OpenFile openWaitingForWriters(const QString& target, const WhileWaiting& whileWaiting)
{
    for (auto waited = 0ms;; waited += kWriterPoll) {
        OpenFile file(systemCalls().openForReading(nativeName(target)));
        if (file.isOpen() || !isBusy(lastError()) || waited >= kWriterWait)
            return file;
        pause(kWriterPoll, whileWaiting);
    }
}

// Reads from the start of the file to its end, or until it holds more than
// `limit` bytes, hashing the bytes piece by piece as they come in, while they
// are still in the processor's cache. Nothing when a read fails.
std::optional<FileBytes> readFromStart(const OpenFile& file, std::size_t expected, std::size_t limit, ContentHash& hash)
{
    constexpr std::size_t kPiece = 256 * 1024;
    // One byte more than the size shows at once whether the file has grown.
    std::size_t capacity = std::min(expected, limit) + 1;
    FileBytes bytes{std::make_unique_for_overwrite<char[]>(capacity), 0};
    for (;;) {
        if (bytes.size == capacity) {
            if (capacity > limit)
                return bytes;
            // Files whose size the system does not know grow in steps, up to the limit.
            capacity = std::min(capacity * 2, limit + 1);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(larger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(larger);
        }
        char* const piece = bytes.data.get() + bytes.size;
        const std::int64_t got = systemCalls().read(file.get(), piece, std::min(kPiece, capacity - bytes.size),
                                                    static_cast<std::int64_t>(bytes.size));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        hash.add({piece, static_cast<std::size_t>(got)});
        bytes.size += static_cast<std::size_t>(got);
    }
}

// Reads the open file whole, as it stands when no program is writing it.
FileContent readWhole(const OpenFile& file, const QString& target, std::size_t limit, const WhileWaiting& whileWaiting)
{
    WriterWatch writers(file.get());
    // A file written a moment ago as a first read found it, its bytes' hash
    // included; none yet while all zero (no file has index 0).
    FileStamp earlier;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        // Another program writing the file: wait for it to close it.
        WriterWatch::Taken taken = writers.take();
        for (auto waited = 0ms; taken == WriterWatch::Taken::RefusedForAWriter && waited < kWriterWait;
             waited += kWriterPoll) {
            pause(kWriterPoll, whileWaiting);
            taken = writers.take();
        }
        if (taken == WriterWatch::Taken::RefusedForAWriter)
            return readFailure(heldOpenReason());

        FileState before;
        if (!stateOf(file.get(), before))
            return readFailure(systemReason(lastError()));
        if (before.kind != Kind::Regular)  // replaced between the look and the open
            return readFailure(notRegularReason(before.kind));
        const auto size = static_cast<std::size_t>(before.size);
        if (size > limit)
            return readFailure(tooLargeReason(limit));
        ContentHash hash;
        std::optional<FileBytes> bytes = readFromStart(file, size, limit, hash);
        if (!bytes)
            return readFailure(systemReason(lastError()));
        if (bytes->size > limit)
            return readFailure(tooLargeReason(limit));
        FileState after;
        if (!stateOf(file.get(), after))
            return readFailure(systemReason(lastError()));
        const bool writtenMeanwhile = writers.broken();
        writers.release();

        // Some files (those of /proc) report no size: they are made as they are
        // read, by no other program, and only a change of their size counts.
        const bool generated = size == 0 && bytes->size > 0;
        // A writer may put the modification time back; the time of the last
        // change of any kind it cannot.
        if (!sameState(before, after) || writtenMeanwhile || (!generated && bytes->size != size)) {
            earlier = {};
            continue;
        }
        const FileStamp stamp = stampOf(after, hash.value());
        // Read twice, a file written a moment ago is taken only when nothing about it moved in between.
        const bool recent = !generated && writtenLately(after);
        if (recent && earlier != stamp) {
            earlier = stamp;
            bytes.reset();
            pause(kSecondReadPause, whileWaiting);
            continue;
        }
        return {std::move(bytes), {target, stamp}, {}};
    }
    return readFailure(changedWhileReadReason());
}

}  // namespace

FileContent readRegularFile(const QString& path, std::size_t limit, const WhileWaiting& whileWaiting)
{
    // What the path names is looked at before it is opened: opening a pipe
    // would wait for a writer, and a device may never end.
    QString target;
    std::optional<FileState> state;
    if (!resolve(path, target, state))
        return readFailure(systemReason(lastError()));
    if (!state)
        return readFailure(systemReason(notFoundError()));
    if (state->kind != Kind::Regular)
        return readFailure(notRegularReason(state->kind));

    const OpenFile file = openWaitingForWriters(target, whileWaiting);
    if (!file.isOpen()) {
        const int error = lastError();
        return readFailure(isBusy(error) ? heldOpenReason() : systemReason(error));
    }
    try {
        return readWhole(file, target, limit, whileWaiting);
    } catch (const std::bad_alloc&) {
        return readFailure(outOfMemoryReason());
    }
}

bool writtenLately(const FileState& state)
{
    return nowNs() - state.modifiedNs < std::chrono::nanoseconds(kRecent).count();
}

bool canOpenForReading(const QString& path)
{
    return OpenFile(systemCalls().openForReading(nativeName(path))).isOpen();
}

bool isReadOnlyFile(const QString& path)
{
    QString target;
    std::optional<FileState> state;
    return resolve(path, target, state) && state && state->readOnly;
}

}  // namespace files
