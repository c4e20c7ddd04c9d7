#include "document/file_record.h"

#include "document/content_hash.h"
#include "document/open_file.h"

namespace modMain {

FileStamp stampOf(const files::FileState& state, std::uint64_t contentHash)
{
    return {state.volume, state.index, state.size, state.modifiedNs, contentHash};
}

OnDisk compareWithDisk(const FileRecord& record, const QString& path)
{
    QString target;
    std::optional<files::FileState> state;
    if (record.target.isEmpty() || !files::resolve(path, target, state))
        return OnDisk::Elsewhere;
    const bool recordedName = files::sameName(target, record.target);
    if (!state)
        return recordedName ? OnDisk::AsRecorded : OnDisk::Elsewhere;  // gone: simply written again
    if (state->volume != record.stamp.volume || state->index != record.stamp.index)
        return recordedName ? OnDisk::Changed : OnDisk::Elsewhere;
    if (stampOf(*state, record.stamp.contentHash) != record.stamp)
        return OnDisk::Changed;
    const files::OpenFile file(files::systemCalls().openForReading(files::nativeName(target)));
    ContentHash hash;
    if (!file.isOpen() || !file.readThrough([&](std::string_view piece) {
            hash.add(piece);
            return true;
        }))
        return OnDisk::Changed;
    return hash.value() == record.stamp.contentHash ? OnDisk::AsRecorded : OnDisk::Changed;
}

}  // namespace modMain
