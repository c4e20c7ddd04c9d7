#include "document/differences.h"

#include "document/alignment.h"

#include <unordered_map>

namespace modMain {
namespace {

std::string_view valueAt(const Document& document, EntryPosition at)
{
    return document.text(document.group(at.group).Values[std::size_t(at.entry - 1)]);
}

std::string_view nameAt(const Document& document, EntryPosition at)
{
    return document.text(document.group(at.group).Names[std::size_t(at.entry - 1)]);
}

std::int16_t slot(int position)
{
    return static_cast<std::int16_t>(position);
}

// The differences of one group that is there then and now.
void entryDifferences(const Document& then, int thenGroup, const Document& now, int nowGroup, const GroupName& name,
                      std::vector<Difference>& found)
{
    using Kind = Difference::Kind;
    const LiveEntriesOf thenEntries(then, thenGroup);
    const LiveEntriesOf nowEntries(now, nowGroup);
    const std::vector<int> pairs = align(thenEntries.side, nowEntries.side);
    std::vector<bool> paired(nowEntries.positions.size(), false);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const EntryPosition inThen{slot(thenGroup), thenEntries.positions[k]};
        const std::string value(valueAt(then, inThen));
        if (pairs[k] < 0) {
            found.push_back({Kind::EntryOnlyThen,
                             name,
                             std::string(thenEntries.side.keys[k]),
                             value,
                             std::nullopt,
                             inThen,
                             {slot(nowGroup), 0},
                             0});
            continue;
        }
        paired[std::size_t(pairs[k])] = true;
        const EntryPosition inNow{slot(nowGroup), nowEntries.positions[std::size_t(pairs[k])]};
        if (valueAt(now, inNow) != value)
            found.push_back({Kind::ValueChanged, name, std::string(thenEntries.side.keys[k]), value,
                             std::string(valueAt(now, inNow)), inThen, inNow, 0});
    }
    for (std::size_t m = 0; m < paired.size(); ++m) {
        if (paired[m])
            continue;
        const EntryPosition inNow{slot(nowGroup), nowEntries.positions[m]};
        found.push_back({Kind::EntryOnlyNow,
                         name,
                         std::string(nowEntries.side.keys[m]),
                         std::nullopt,
                         std::string(valueAt(now, inNow)),
                         {slot(thenGroup), 0},
                         inNow,
                         0});
    }
}

std::size_t liveEntryCount(const Document& document, int group)
{
    const GroupRecord& record = document.group(group);
    return std::size_t(std::count(record.EntryAlive.begin(), record.EntryAlive.end(), true));
}

}  // namespace

std::vector<Difference> differences(const Document& then, const Document& now)
{
    using Kind = Difference::Kind;
    const LiveGroups thenGroups(then);
    const LiveGroups nowGroups(now);
    const std::vector<GroupName> thenNames = groupNames(thenGroups);
    const std::vector<GroupName> nowNames = groupNames(nowGroups);
    const std::vector<int> pairs = align(thenGroups.side, nowGroups.side);
    std::vector<bool> paired(nowGroups.positions.size(), false);
    std::vector<Difference> found;
    for (std::size_t g = 0; g < pairs.size(); ++g) {
        const int thenGroup = thenGroups.positions[g];
        if (pairs[g] < 0) {
            found.push_back({Kind::GroupOnlyThen,
                             thenNames[g],
                             {},
                             std::nullopt,
                             std::nullopt,
                             {slot(thenGroup), 0},
                             {},
                             liveEntryCount(then, thenGroup)});
            continue;
        }
        paired[std::size_t(pairs[g])] = true;
        const int nowGroup = nowGroups.positions[std::size_t(pairs[g])];
        if (!sameLiveEntries(then, thenGroup, now, nowGroup))
            entryDifferences(then, thenGroup, now, nowGroup, nowNames[std::size_t(pairs[g])], found);
    }
    for (std::size_t g = 0; g < paired.size(); ++g) {
        if (paired[g])
            continue;
        const int nowGroup = nowGroups.positions[g];
        found.push_back({Kind::GroupOnlyNow,
                         nowNames[g],
                         {},
                         std::nullopt,
                         std::nullopt,
                         {},
                         {slot(nowGroup), 0},
                         liveEntryCount(now, nowGroup)});
    }
    return found;
}

PlannedChange planRestore(Document& now, const Document& then, const std::vector<Difference>& chosen)
{
    using Kind = Difference::Kind;
    // Room first: appended groups and entries within a document's slots.
    int groups = now.GroupCount();
    std::unordered_map<int, int> entries;
    for (const Difference& difference : chosen) {
        if (difference.kind == Kind::GroupOnlyThen && (++groups > kMaxSlots || int(difference.entries) > kMaxSlots))
            return {EditOutcome::TooManyGroups, {}};
        if (difference.kind == Kind::EntryOnlyThen) {
            auto [count, isNew] = entries.try_emplace(difference.inNow.group, 0);
            if (isNew)
                count->second = now.group(difference.inNow.group).EntryCount();
            if (++count->second > kMaxSlots)
                return {EditOutcome::TooManyEntries, {}};
        }
    }
    Change change{Change::Kind::Restore, {}, {}};
    const auto store = [&](std::string_view text) { return now.store(text); };
    std::unordered_map<int, int> appended;  // entries appended to each group so far
    int newGroups = 0;
    for (const Difference& difference : chosen) {
        switch (difference.kind) {
        case Kind::ValueChanged:
            change.steps.push_back({EditStep::Kind::SetValue, difference.inNow, store(*difference.then),
                                    now.group(difference.inNow.group).Values[std::size_t(difference.inNow.entry - 1)]});
            break;
        case Kind::EntryOnlyNow:
            change.steps.push_back({EditStep::Kind::RemoveEntry, difference.inNow, {}, {}});
            break;
        case Kind::GroupOnlyNow:
            change.steps.push_back({EditStep::Kind::RemoveGroup, difference.inNow, {}, {}});
            break;
        case Kind::EntryOnlyThen: {
            const int group = difference.inNow.group;
            const EntryPosition at{slot(group), slot(now.group(group).EntryCount() + ++appended[group])};
            change.steps.push_back(
                {EditStep::Kind::AppendEntry, at, store(nameAt(then, difference.inThen)), store(*difference.then)});
            break;
        }
        case Kind::GroupOnlyThen: {
            const int group = now.GroupCount() + ++newGroups;
            change.steps.push_back({EditStep::Kind::AppendGroup, {slot(group), 0}, store(difference.group.header), {}});
            const GroupRecord& record = then.group(difference.inThen.group);
            int entry = 0;
            for (std::size_t k = 0; k < record.Names.size(); ++k) {
                if (record.EntryAlive[k])
                    change.steps.push_back({EditStep::Kind::AppendEntry,
                                            {slot(group), slot(++entry)},
                                            store(then.text(record.Names[k])),
                                            store(then.text(record.Values[k]))});
            }
            break;
        }
        }
    }
    return {EditOutcome::Done, std::move(change)};
}

}  // namespace modMain
