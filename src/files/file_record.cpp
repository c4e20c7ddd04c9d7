#include "files/file_record.h"

#include "files/content_hash.h"
#include "files/file_reading.h"
#include "files/open_file.h"

namespace files {

FileStamp stampOf(const FileState& state, std::uint64_t contentHash)
{
    return {state.volume, state.index, state.size, state.modifiedNs, state.changedNs, contentHash};
}

bool surelyAsStamped(const FileState& state, const FileStamp& stamp)
{
    return state.kind == Kind::Regular && stampOf(state, stamp.contentHash) == stamp && !writtenLately(state);
}

std::optional<std::uint64_t> contentHashOf(const QString& target)
{
    const OpenFile file(systemCalls().openForReading(nativeName(target)));
    ContentHash hash;
    if (!file.isOpen() || !file.readThrough([&](std::string_view piece) {
            hash.add(piece);
            return true;
        }))
        return std::nullopt;
    return hash.value();
}

OnDisk compareWithDisk(const FileRecord& record, const QString& path)
{
    QString target;
    std::optional<FileState> state;
    if (record.target.isEmpty() || !resolve(path, target, state))
        return OnDisk::Elsewhere;
    const bool recordedName = sameName(target, record.target);
    if (!state)
        return recordedName ? OnDisk::AsRecorded : OnDisk::Elsewhere;  // gone: simply written again
    if (state->volume != record.stamp.volume || state->index != record.stamp.index)
        return recordedName ? OnDisk::Changed : OnDisk::Elsewhere;
    // A change of owner, mode or attributes alone changes no byte; the bytes decide.
    if (state->size != record.stamp.size || state->modifiedNs != record.stamp.modifiedNs)
        return OnDisk::Changed;
    return contentHashOf(target) == record.stamp.contentHash ? OnDisk::AsRecorded : OnDisk::Changed;
}

}  // namespace files
