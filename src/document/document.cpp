#include "document/document.h"

#include <cstring>

namespace modMain {

FileBytes copyFileBytes(std::string_view bytes)
{
    FileBytes copy{std::make_unique_for_overwrite<char[]>(bytes.size()), bytes.size()};
    if (!bytes.empty())
        std::memcpy(copy.data.get(), bytes.data(), bytes.size());
    return copy;
}

Document::Document(FileBytes file)
    : file_(std::move(file))
{
}

std::string_view Document::text(TextRef ref) const
{
    if (ref.start & kStoredFlag)
        return stored_[ref.start & ~kStoredFlag];
    return {file_.data.get() + ref.start, ref.size};
}

std::string_view Document::Name(int group, int entry) const
{
    return text(Group(group).Names[static_cast<std::size_t>(entry - 1)]);
}

std::string_view Document::Value(int group, int entry) const
{
    return text(Group(group).Values[static_cast<std::size_t>(entry - 1)]);
}

TextRef Document::store(std::string_view text)
{
    stored_.emplace_back(text);
    return {kStoredFlag | static_cast<std::uint32_t>(stored_.size() - 1),
            static_cast<std::uint32_t>(text.size())};
}

std::optional<std::int16_t> Document::AppendGroup(std::string_view header)
{
    if (Groups.size() >= kMaxSlots)
        return std::nullopt;
    GroupRecord& group = Groups.emplace_back();
    group.Header = store(header);
    return GroupCount();
}

std::optional<std::int16_t> Document::AppendEntry(int group, std::string_view name, std::string_view value)
{
    GroupRecord& record = Group(group);
    if (record.Names.size() >= kMaxSlots)
        return std::nullopt;
    record.Names.push_back(store(name));
    record.Values.push_back(store(value));
    record.EntryAlive.push_back(true);
    return record.EntryCount();
}

std::vector<std::int16_t> Document::FindLiveGroups(std::string_view header) const
{
    std::vector<std::int16_t> found;
    for (std::size_t i = 0; i < Groups.size(); ++i) {
        if (Groups[i].Alive && text(Groups[i].Header) == header)
            found.push_back(static_cast<std::int16_t>(i + 1));
    }
    return found;
}

std::int16_t Document::FindLiveEntry(int group, std::string_view name) const
{
    const GroupRecord& record = Group(group);
    for (std::size_t k = 0; k < record.Names.size(); ++k) {
        if (record.EntryAlive[k] && text(record.Names[k]) == name)
            return static_cast<std::int16_t>(k + 1);
    }
    return 0;
}

void Document::SetValue(int group, int entry, TextRef value)
{
    Group(group).Values[static_cast<std::size_t>(entry - 1)] = value;
}

void Document::RemoveEntry(int group, int entry)
{
    Group(group).EntryAlive[static_cast<std::size_t>(entry - 1)] = false;
}

}  // namespace modMain
