#include "document/merge.h"

#include "document/alignment.h"

#include <algorithm>
#include <span>
#include <unordered_map>

namespace modMain {
namespace {

std::int16_t slot(std::size_t index)
{
    return static_cast<std::int16_t>(index);
}

std::string_view valueAt(const Document& document, int group, int entry)
{
    return document.text(document.group(group).Values[std::size_t(entry - 1)]);
}

// A group's live entries in order, as name and value.
std::vector<std::pair<std::string, std::string>> liveEntries(const Document& document, int group)
{
    std::vector<std::pair<std::string, std::string>> entries;
    const GroupRecord& record = document.group(group);
    for (std::size_t k = 0; k < record.Names.size(); ++k) {
        if (record.EntryAlive[k])
            entries.emplace_back(document.text(record.Names[k]), document.text(record.Values[k]));
    }
    return entries;
}

// Whether two documents hold the same live content, as a save would write it.
bool sameLiveContent(const Document& a, const Document& b)
{
    const LiveGroups x(a);
    const LiveGroups y(b);
    if (x.positions.size() != y.positions.size())
        return false;
    for (std::size_t g = 0; g < x.positions.size(); ++g) {
        if (x.side.keys[g] != y.side.keys[g] || !sameLiveEntries(a, x.positions[g], b, y.positions[g]))
            return false;
    }
    return true;
}

// The items of `to` that no item of `from` pairs with, by key, each key's in order.
class Unpaired {
public:
    Unpaired(const std::vector<int>& pairs, const AlignedSide& to)
    {
        std::vector<bool> paired(to.keys.size(), false);
        for (const int pair : pairs) {
            if (pair >= 0)
                paired[std::size_t(pair)] = true;
        }
        for (std::size_t item = 0; item < to.keys.size(); ++item) {
            if (!paired[item])
                left_[to.keys[item]].push_back(item);
        }
    }

    // The next unpaired item of this key, or nothing.
    std::optional<std::size_t> take(std::string_view key)
    {
        const auto found = left_.find(key);
        if (found == left_.end() || next_[key] >= found->second.size())
            return std::nullopt;
        return found->second[next_[key]++];
    }

private:
    std::unordered_map<std::string_view, std::vector<std::size_t>> left_;
    std::unordered_map<std::string_view, std::size_t> next_;
};

// Drops the removed slots of a merged document, so that what it holds fits in
// a document's slots; `map` follows, and `moved` gets each group's new position.
void dropRemoved(Document& document, BaseMap& map, std::vector<std::int16_t>& moved)
{
    moved.assign(std::size_t(document.GroupCount()) + 1, 0);
    std::vector<std::vector<std::int16_t>> movedEntries(moved.size());
    std::vector<GroupRecord> kept;
    for (int g = 1; g <= document.GroupCount(); ++g) {
        GroupRecord& record = document.group(g);
        if (!record.Alive)
            continue;
        moved[std::size_t(g)] = slot(kept.size() + 1);
        GroupRecord& keeping = kept.emplace_back(std::move(record));
        std::vector<std::int16_t>& entries = movedEntries[std::size_t(g)];
        entries.assign(keeping.Names.size() + 1, 0);
        std::size_t live = 0;
        for (std::size_t k = 0; k < keeping.Names.size(); ++k) {
            if (!keeping.EntryAlive[k])
                continue;
            keeping.Names[live] = keeping.Names[k];
            keeping.Values[live] = keeping.Values[k];
            entries[k + 1] = slot(++live);
        }
        keeping.Names.resize(live);
        keeping.Values.resize(live);
        keeping.EntryAlive.assign(live, true);
    }
    document.Groups = std::move(kept);
    for (std::size_t b = 0; b < map.groups.size(); ++b) {
        const std::int16_t group = map.groups[b];
        map.groups[b] = moved[std::size_t(group)];
        for (std::uint32_t e = map.firstEntries[b]; e < map.firstEntries[b + 1]; ++e)
            map.entries[e] = map.groups[b] ? movedEntries[std::size_t(group)][std::size_t(map.entries[e])] : 0;
    }
}

}  // namespace

BaseMap mapOfLiveContent(const Document& document)
{
    BaseMap map;
    for (int g = 1; g <= document.GroupCount(); ++g) {
        const GroupRecord& record = document.group(g);
        if (!record.Alive)
            continue;
        map.groups.push_back(slot(std::size_t(g)));
        map.firstEntries.push_back(std::uint32_t(map.entries.size()));
        for (std::size_t k = 0; k < record.Names.size(); ++k) {
            if (record.EntryAlive[k])
                map.entries.push_back(slot(k + 1));
        }
    }
    map.firstEntries.push_back(std::uint32_t(map.entries.size()));
    return map;
}

// Works out the steps of a merge level by level: each group of the base,
// the entries the pilot changed in it, those the pilot added, and the groups
// the pilot added.
class MergePlan::Planner {
public:
    Planner(MergePlan& plan, const Document& base, const Document& mine, const BaseMap& map)
        : plan_(plan)
        , base_(base)
        , theirs_(plan.theirs_)
        , mine_(mine)
        , map_(map)
        , baseGroups_(base)
        , theirGroups_(plan.theirs_)
        , baseNames_(groupNames(baseGroups_))
        , mineMapped_(std::size_t(mine.GroupCount()) + 1, false)
    {
    }

    void run()
    {
        if (sameLiveContent(theirs_, mine_))
            return;  // both sides reached the same document
        groupPairs_ = align(baseGroups_.side, theirGroups_.side,
                            [this](std::size_t b) { return mineGroup(b) && mine_.group(mineGroup(b)).Alive; });
        const bool shareAny = std::any_of(groupPairs_.begin(), groupPairs_.end(), [](int pair) { return pair >= 0; });
        if (!baseGroups_.positions.empty() && !theirGroups_.positions.empty() && !shareAny) {
            plan_.outcome_ = Outcome::NothingInCommon;
            return;
        }
        for (std::size_t b = 0; b < baseGroups_.positions.size(); ++b)
            planGroup(b);
        planAddedGroups();
    }

private:
    using Kind = Step::Kind;

    // The pilot's changes to a group of the base: its entries removed or set
    // (by their index among the base's), and the entries added (by slot, from 0).
    struct PilotChanges {
        std::vector<std::size_t> changed;
        std::vector<std::size_t> added;
    };

    // The pilot's group of the b-th base group, or 0 where the pilot's
    // document no longer has it (its adding undone since).
    int mineGroup(std::size_t b) const
    {
        const int group = b < map_.groups.size() ? map_.groups[b] : 0;
        return group >= 1 && group <= mine_.GroupCount() ? group : 0;
    }

    std::span<const std::int16_t> baseSlots(std::size_t b) const
    {
        return {map_.entries.data() + map_.firstEntries[b], map_.entries.data() + map_.firstEntries[b + 1]};
    }

    bool liveInMine(int group, int entry) const
    {
        const GroupRecord& record = mine_.group(group);
        return entry >= 1 && std::size_t(entry) <= record.Names.size() && record.EntryAlive[std::size_t(entry - 1)];
    }

    // A conflict over the b-th group of the base, or one of its entries.
    struct Sides {
        std::optional<std::string_view> base;
        std::optional<std::string_view> theirs;
        std::optional<std::string_view> mine;
    };
    void conflict(MergeConflict::Scope scope, std::size_t b, std::string_view name, const Sides& sides,
                  std::vector<Step> steps)
    {
        const auto text = [](std::optional<std::string_view> side) {
            return side ? std::optional<std::string>(*side) : std::nullopt;
        };
        plan_.conflicts_.push_back(
            {scope, baseNames_[b], std::string(name), text(sides.base), text(sides.theirs), text(sides.mine)});
        plan_.conflictSteps_.push_back(std::move(steps));
    }

    void planGroup(std::size_t b)
    {
        const int baseGroup = baseGroups_.positions[b];
        const int theirGroup = groupPairs_[b] < 0 ? 0 : theirGroups_.positions[std::size_t(groupPairs_[b])];
        const int group = mineGroup(b);
        if (group)
            mineMapped_[std::size_t(group)] = true;
        if (!group || !mine_.group(group).Alive)
            return planRemovedGroup(b, baseGroup, theirGroup);
        const PilotChanges changes = pilotChanges(b, baseGroup, group);
        if (changes.changed.empty() && changes.added.empty())
            return;
        const std::string_view header = base_.text(base_.group(baseGroup).Header);
        if (!theirGroup) {  // removed there, changed here: the pilot's group comes back whole
            conflict(MergeConflict::Scope::WholeGroup, b, {}, {"", std::nullopt, ""},
                     {{Kind::AppendGroup, {}, std::string(header), {}, liveEntries(mine_, group)}});
            return;
        }
        if (sameLiveEntries(theirs_, theirGroup, mine_, group))
            return;  // both sides made it the same
        const LiveEntriesOf baseEntries(base_, baseGroup);
        const LiveEntriesOf theirEntries(theirs_, theirGroup);
        const std::span<const std::int16_t> slots = baseSlots(b);
        const std::vector<int> entryPairs = align(baseEntries.side, theirEntries.side,
                                                  [&](std::size_t j) { return liveInMine(group, slots[j]); });
        planChangedEntries(b, {baseGroup, theirGroup, group}, baseEntries, theirEntries, entryPairs, changes.changed);
        planAddedEntries(b, theirGroup, group, theirEntries, entryPairs, changes.added);
    }

    // Removed here: gone there too, or removed there unless theirs changed it.
    void planRemovedGroup(std::size_t b, int baseGroup, int theirGroup)
    {
        if (!theirGroup)
            return;
        const Step remove{Kind::RemoveGroup, {slot(std::size_t(theirGroup)), 0}, {}, {}, {}};
        if (entriesHash(base_, baseGroup) == entriesHash(theirs_, theirGroup))
            plan_.steps_.push_back(remove);
        else
            conflict(MergeConflict::Scope::WholeGroup, b, {}, {"", "", std::nullopt}, {remove});
    }

    PilotChanges pilotChanges(std::size_t b, int baseGroup, int group) const
    {
        PilotChanges changes;
        const GroupRecord& record = mine_.group(group);
        std::vector<bool> mapped(record.Names.size(), false);
        const std::span<const std::int16_t> slots = baseSlots(b);
        for (std::size_t j = 0; j < slots.size(); ++j) {
            const bool live = liveInMine(group, slots[j]);
            if (live)
                mapped[std::size_t(slots[j] - 1)] = true;
            if (!live || valueAt(mine_, group, slots[j]) != valueAt(base_, baseGroup, int(j) + 1))
                changes.changed.push_back(j);
        }
        for (std::size_t k = 0; k < record.Names.size(); ++k) {
            if (record.EntryAlive[k] && !mapped[k])
                changes.added.push_back(k);
        }
        return changes;
    }

    // The same group in the base, in theirs and in the pilot's document.
    struct GroupIn {
        int base;
        int theirs;
        int mine;
    };

    void planChangedEntries(std::size_t b, GroupIn group, const LiveEntriesOf& baseEntries,
                            const LiveEntriesOf& theirEntries, const std::vector<int>& entryPairs,
                            const std::vector<std::size_t>& changed)
    {
        const std::span<const std::int16_t> slots = baseSlots(b);
        for (const std::size_t j : changed) {
            const std::string_view name = baseEntries.side.keys[j];
            const std::string_view baseValue = valueAt(base_, group.base, baseEntries.positions[j]);
            const int theirEntry = entryPairs[j] < 0 ? 0 : theirEntries.positions[std::size_t(entryPairs[j])];
            const auto theirValue = theirEntry ? std::optional(valueAt(theirs_, group.theirs, theirEntry))
                                               : std::nullopt;
            const auto mineValue = liveInMine(group.mine, slots[j])
                                       ? std::optional(valueAt(mine_, group.mine, slots[j]))
                                       : std::nullopt;
            if (theirValue == mineValue)
                continue;  // the same on both sides
            const EntryPosition at{slot(std::size_t(group.theirs)), slot(std::size_t(theirEntry))};
            Step step = mineValue ? Step{Kind::SetValue, at, std::string(*mineValue), {}, {}}
                                  : Step{Kind::RemoveEntry, at, {}, {}, {}};
            if (!theirEntry)  // removed there, set here: it comes back
                step = {Kind::AppendEntry, {at.group, 0}, std::string(name), std::string(*mineValue), {}};
            if (theirValue == baseValue)
                plan_.steps_.push_back(std::move(step));
            else
                conflict(MergeConflict::Scope::Entry, b, name, {baseValue, theirValue, mineValue}, {std::move(step)});
        }
    }

    // An entry both sides added alike is there once; added with two values, it is a conflict.
    void planAddedEntries(std::size_t b, int theirGroup, int group, const LiveEntriesOf& theirEntries,
                          const std::vector<int>& entryPairs, const std::vector<std::size_t>& added)
    {
        Unpaired theirsAdded(entryPairs, theirEntries.side);
        const GroupRecord& record = mine_.group(group);
        for (const std::size_t k : added) {
            const std::string_view name = mine_.text(record.Names[k]);
            const std::string_view value = mine_.text(record.Values[k]);
            const std::optional<std::size_t> same = theirsAdded.take(name);
            const int theirEntry = same ? theirEntries.positions[*same] : 0;
            const EntryPosition at{slot(std::size_t(theirGroup)), slot(std::size_t(theirEntry))};
            if (!theirEntry)
                plan_.steps_.push_back({Kind::AppendEntry, {at.group, 0}, std::string(name), std::string(value), {}});
            else if (valueAt(theirs_, theirGroup, theirEntry) != value)
                conflict(MergeConflict::Scope::Entry, b, name,
                         {std::nullopt, valueAt(theirs_, theirGroup, theirEntry), value},
                         {{Kind::SetValue, at, std::string(value), {}, {}}});
        }
    }

    // Groups the pilot added; one that theirs added alike is there once.
    void planAddedGroups()
    {
        Unpaired theirsAdded(groupPairs_, theirGroups_.side);
        for (int g = 1; g <= mine_.GroupCount(); ++g) {
            if (mineMapped_[std::size_t(g)] || !mine_.group(g).Alive)
                continue;
            const std::string_view header = mine_.text(mine_.group(g).Header);
            const std::optional<std::size_t> same = theirsAdded.take(header);
            if (!same || !sameLiveEntries(theirs_, theirGroups_.positions[*same], mine_, g))
                plan_.steps_.push_back({Kind::AppendGroup, {}, std::string(header), {}, liveEntries(mine_, g)});
        }
    }

    MergePlan& plan_;
    const Document& base_;
    const Document& theirs_;
    const Document& mine_;
    const BaseMap& map_;
    const LiveGroups baseGroups_;
    const LiveGroups theirGroups_;
    const std::vector<GroupName> baseNames_;
    std::vector<int> groupPairs_;   // for each live group of the base, its pair among theirs', or -1
    std::vector<bool> mineMapped_;  // the pilot's groups that stand for one of the base
};

MergePlan::MergePlan(const Document& base, Document theirs, const Document& mine, const BaseMap& map)
    : theirs_(std::move(theirs))
{
    Planner(*this, base, mine, map).run();
}

std::vector<const MergePlan::Step*> MergePlan::chosenSteps(const std::vector<bool>& mineWins) const
{
    std::vector<const Step*> steps;
    for (const Step& step : steps_)
        steps.push_back(&step);
    for (std::size_t c = 0; c < conflictSteps_.size(); ++c) {
        if (c >= mineWins.size() || mineWins[c]) {
            for (const Step& step : conflictSteps_[c])
                steps.push_back(&step);
        }
    }
    return steps;
}

bool MergePlan::changesTheirs(const std::vector<bool>& mineWins) const
{
    return !chosenSteps(mineWins).empty();
}

std::optional<MergedDocument> MergePlan::merged(const std::vector<bool>& mineWins) &&
{
    const std::vector<const Step*> steps = chosenSteps(mineWins);
    // What the merged document holds is counted, not the slots its removals leave.
    int groups = 0;
    std::vector<int> entries(std::size_t(theirs_.GroupCount()) + 1, 0);
    int appendedGroups = 0;
    std::vector<int> appendedEntries(entries.size(), 0);
    for (int g = 1; g <= theirs_.GroupCount(); ++g) {
        groups += theirs_.group(g).Alive ? 1 : 0;
        entries[std::size_t(g)] = int(
            std::count(theirs_.group(g).EntryAlive.begin(), theirs_.group(g).EntryAlive.end(), true));
    }
    for (const Step* step : steps) {
        const auto group = std::size_t(step->at.group);
        if (step->kind == Step::Kind::AppendGroup) {
            ++appendedGroups;
            if (++groups > kMaxSlots || int(step->entries.size()) > kMaxSlots)
                return std::nullopt;
        } else if (step->kind == Step::Kind::RemoveGroup) {
            --groups;
        } else if (step->kind == Step::Kind::RemoveEntry) {
            --entries[group];
        } else if (step->kind == Step::Kind::AppendEntry) {
            ++appendedEntries[group];
            if (++entries[group] > kMaxSlots)
                return std::nullopt;
        }
    }
    bool roomInSlots = theirs_.GroupCount() + appendedGroups <= kMaxSlots;
    for (int g = 1; g <= theirs_.GroupCount(); ++g)
        roomInSlots = roomInSlots && theirs_.group(g).EntryCount() + appendedEntries[std::size_t(g)] <= kMaxSlots;

    BaseMap map = mapOfLiveContent(theirs_);
    for (const Step* step : steps) {
        switch (step->kind) {
        case Step::Kind::SetValue:
            theirs_.setValue(step->at, theirs_.store(step->text));
            break;
        case Step::Kind::RemoveEntry:
            theirs_.removeEntry(step->at);
            break;
        case Step::Kind::RemoveGroup:
            theirs_.removeGroup(step->at.group);
            break;
        case Step::Kind::AppendEntry:
        case Step::Kind::AppendGroup:
            break;
        }
    }
    // Appends that would pass the slots a document has first drop the removed ones.
    std::vector<std::int16_t> moved;
    if (!roomInSlots)
        dropRemoved(theirs_, map, moved);
    const auto append = [this](int group, std::string_view name, std::string_view value) {
        theirs_.appendEntry(group, theirs_.store(name), theirs_.store(value));
    };
    for (const Step* step : steps) {
        if (step->kind == Step::Kind::AppendEntry) {
            append(moved.empty() ? step->at.group : moved[std::size_t(step->at.group)], step->text, step->other);
        } else if (step->kind == Step::Kind::AppendGroup) {
            theirs_.Groups.emplace_back().Header = theirs_.store(step->text);
            for (const auto& [name, value] : step->entries)
                append(theirs_.GroupCount(), name, value);
        }
    }
    return MergedDocument{std::move(theirs_), std::move(map)};
}

}  // namespace modMain
