#include "document/document.h"

#include "document/text_codec.h"

namespace modMain {

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

TextRef Document::store(std::string_view text)
{
    stored_.emplace_back(text);
    return {kStoredFlag | static_cast<std::uint32_t>(stored_.size() - 1), static_cast<std::uint32_t>(text.size())};
}

std::vector<std::int16_t> Document::findLiveGroups(std::string_view header) const
{
    std::vector<std::int16_t> found;
    for (std::size_t i = 0; i < Groups.size(); ++i) {
        if (Groups[i].Alive && text(Groups[i].Header) == header)
            found.push_back(static_cast<std::int16_t>(i + 1));
    }
    return found;
}

std::size_t Document::entrySlotsOf(std::string_view header) const
{
    std::size_t count = 0;
    for (const GroupRecord& record : Groups) {
        if (text(record.Header) == header)
            count += record.Names.size();
    }
    return count;
}

void Document::appendLiveEntriesOf(std::string_view header, std::vector<LiveEntry>& entries) const
{
    for (int position = 1; position <= GroupCount(); ++position) {
        const GroupRecord& record = group(position);
        if (!record.Alive || text(record.Header) != header)
            continue;
        for (std::size_t k = 0; k < record.Names.size(); ++k) {
            if (record.EntryAlive[k])
                entries.push_back({{static_cast<std::int16_t>(position), static_cast<std::int16_t>(k + 1)},
                                   record.Names[k],
                                   record.Values[k]});
        }
    }
}

std::vector<LiveEntry> Document::liveEntriesOf(std::string_view header) const
{
    std::vector<LiveEntry> entries;
    entries.reserve(entrySlotsOf(header));
    appendLiveEntriesOf(header, entries);
    return entries;
}

std::optional<EntryPosition> Document::nextLiveEntryContaining(std::string_view text,
                                                               std::optional<EntryPosition> after) const
{
    const TextFinder finder(text);
    const auto holds = [&](TextRef ref, bool fileLinesHold) {
        return (fileLinesHold || isStored(ref)) && finder.in(this->text(ref));
    };
    // The entries after the start to the end, then from the first to the start itself.
    const EntryPosition start = after.value_or(EntryPosition{1, 0});
    const auto search = [&](EntryPosition from, EntryPosition to) -> std::optional<EntryPosition> {
        for (int g = from.group; g <= to.group && g <= GroupCount(); ++g) {
            const GroupRecord& record = group(g);
            if (!record.Alive)
                continue;
            const bool fileLinesHold = record.entryLines.size == 0 || finder.in(this->text(record.entryLines));
            if (!fileLinesHold && !record.storedTexts)
                continue;
            const int first = g == from.group ? from.entry : 0;
            const int last = g == to.group ? to.entry : record.EntryCount();
            for (int k = first; k < last && k < record.EntryCount(); ++k) {
                const auto slot = static_cast<std::size_t>(k);
                if (record.EntryAlive[slot] &&
                    (holds(record.Names[slot], fileLinesHold) || holds(record.Values[slot], fileLinesHold)))
                    return EntryPosition{static_cast<std::int16_t>(g), static_cast<std::int16_t>(k + 1)};
            }
        }
        return std::nullopt;
    };
    if (const auto found = search(start, {GroupCount(), kMaxSlots}))
        return found;
    return search({1, 0}, start);
}

bool Document::isLiveGroup(int position) const
{
    return position >= 1 && position <= GroupCount() && group(position).Alive;
}

bool Document::isLive(EntryPosition at) const
{
    return isLiveGroup(at.group) && at.entry >= 1 && at.entry <= group(at.group).EntryCount() &&
           group(at.group).EntryAlive[static_cast<std::size_t>(at.entry - 1)];
}

void Document::setValue(EntryPosition at, TextRef value)
{
    GroupRecord& record = group(at.group);
    record.Values[static_cast<std::size_t>(at.entry - 1)] = value;
    record.storedTexts = record.storedTexts || isStored(value);
}

void Document::appendEntry(int group, TextRef name, TextRef value)
{
    GroupRecord& record = this->group(group);
    record.Names.push_back(name);
    record.Values.push_back(value);
    record.EntryAlive.push_back(true);
    record.storedTexts = record.storedTexts || isStored(name) || isStored(value);
}

void Document::removeEntry(EntryPosition at)
{
    group(at.group).EntryAlive[static_cast<std::size_t>(at.entry - 1)] = false;
}

}  // namespace modMain
