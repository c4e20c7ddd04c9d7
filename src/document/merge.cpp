#include "document/merge.h"

#include <algorithm>
#include <span>
#include <unordered_map>

namespace modMain {
namespace {

std::int16_t slot(std::size_t index)
{
    return static_cast<std::int16_t>(index);
}

// Each text's positions in order, among the live groups of a document or the
// live entries of one group: the n-th of a text is its n-th position. One
// array sorted by the texts' hashes, so that the largest document's thirty
// thousand headers take no allocation and few comparisons of text each.
class Occurrences {
public:
    void add(std::string_view text, std::int16_t position) { items_.push_back({hashOf(text), text, position}); }
    // Once every position is added.
    void sort() { std::sort(items_.begin(), items_.end()); }

    bool empty() const { return items_.empty(); }
    std::size_t count(std::string_view text) const { return of(text).size(); }
    // The position of the `occurrence`-th (from 0) of `text`, or 0.
    std::int16_t find(std::string_view text, std::size_t occurrence) const
    {
        const std::span<const Item> positions = of(text);
        return occurrence < positions.size() ? positions[occurrence].position : 0;
    }
    // Which of the occurrences of its text a position is.
    std::size_t occurrenceOf(std::string_view text, std::int16_t position) const
    {
        const std::span<const Item> positions = of(text);
        return std::size_t(std::find_if(positions.begin(), positions.end(),
                                        [&](const Item& item) { return item.position == position; }) -
                           positions.begin());
    }
    // Whether any text of these is among the others.
    bool shareAnyWith(const Occurrences& others) const
    {
        return std::any_of(items_.begin(), items_.end(), [&](const Item& item) { return others.count(item.text); });
    }

private:
    struct Item {
        std::size_t hash;
        std::string_view text;
        std::int16_t position;

        bool operator<(const Item& other) const
        {
            if (hash != other.hash)
                return hash < other.hash;
            if (text != other.text)
                return text < other.text;
            return position < other.position;
        }
    };

    static std::size_t hashOf(std::string_view text) { return std::hash<std::string_view>()(text); }

    std::span<const Item> of(std::string_view text) const
    {
        const Item key{hashOf(text), text, 0};
        const auto sameText = [](const Item& a, const Item& b) {
            return a.hash != b.hash ? a.hash < b.hash : a.text < b.text;
        };
        const auto [first, last] = std::equal_range(items_.begin(), items_.end(), key, sameText);
        return {first, last};
    }

    std::vector<Item> items_;
};

Occurrences groupsOf(const Document& document)
{
    Occurrences groups;
    for (int g = 1; g <= document.GroupCount(); ++g) {
        if (document.group(g).Alive)
            groups.add(document.text(document.group(g).Header), slot(std::size_t(g)));
    }
    groups.sort();
    return groups;
}

Occurrences entriesOf(const Document& document, int group)
{
    Occurrences entries;
    const GroupRecord& record = document.group(group);
    for (std::size_t k = 0; k < record.Names.size(); ++k) {
        if (record.EntryAlive[k])
            entries.add(document.text(record.Names[k]), slot(k + 1));
    }
    entries.sort();
    return entries;
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

bool sameEntries(const Document& a, int groupA, const Document& b, int groupB)
{
    return liveEntries(a, groupA) == liveEntries(b, groupB);
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

MergePlan::MergePlan(const Document& base, Document theirs, const Document& mine, const BaseMap& map)
    : theirs_(std::move(theirs))
{
    using Kind = Step::Kind;
    const Occurrences baseGroups = groupsOf(base);
    const Occurrences theirGroups = groupsOf(theirs_);
    if (!baseGroups.empty() && !theirGroups.empty() && !baseGroups.shareAnyWith(theirGroups)) {
        outcome_ = Outcome::NothingInCommon;
        return;
    }
    const auto conflict = [&](std::string_view header, std::string_view name,
                              std::optional<std::string_view> theirsSide, std::optional<std::string_view> mineSide,
                              std::vector<Step> steps) {
        conflicts_.push_back({std::string(header), std::string(name),
                              theirsSide ? std::optional<std::string>(*theirsSide) : std::nullopt,
                              mineSide ? std::optional<std::string>(*mineSide) : std::nullopt});
        conflictSteps_.push_back(std::move(steps));
    };

    std::vector<bool> mapped(std::size_t(mine.GroupCount()) + 1, false);
    for (std::size_t b = 0; b < map.groups.size(); ++b) {
        const int baseGroup = int(b) + 1;
        const std::string_view header = base.text(base.group(baseGroup).Header);
        const std::size_t occurrence = baseGroups.occurrenceOf(header, slot(std::size_t(baseGroup)));
        const std::int16_t theirGroup = theirGroups.find(header, occurrence);
        // A slot the pilot's document no longer has (its adding undone since) counts as removed.
        const int mineGroup = map.groups[b];
        const bool inMine = mineGroup >= 1 && mineGroup <= mine.GroupCount();
        if (inMine)
            mapped[std::size_t(mineGroup)] = true;
        if (!inMine || !mine.group(mineGroup).Alive) {
            if (theirGroup && sameEntries(base, baseGroup, theirs_, theirGroup))
                steps_.push_back({Kind::RemoveGroup, {theirGroup, 0}, {}, {}, {}});
            else if (theirGroup)  // changed there, removed here
                conflict(header, {}, "", std::nullopt, {{Kind::RemoveGroup, {theirGroup, 0}, {}, {}, {}}});
            continue;
        }
        const GroupRecord& mineRecord = mine.group(mineGroup);
        const auto liveInMine = [&](std::size_t k) { return k < mineRecord.Names.size() && mineRecord.EntryAlive[k]; };

        // The pilot's changes to the group: its base entries removed or set, and entries added.
        const std::span<const std::int16_t> baseSlots(map.entries.data() + map.firstEntries[b],
                                                      map.entries.data() + map.firstEntries[b + 1]);
        std::vector<std::size_t> changed;  // base entries (from 0) the pilot removed or set
        for (std::size_t j = 0; j < baseSlots.size(); ++j) {
            const auto k = std::size_t(baseSlots[j] - 1);
            if (!liveInMine(k) || mine.text(mineRecord.Values[k]) != valueAt(base, baseGroup, int(j) + 1))
                changed.push_back(j);
        }
        std::vector<std::size_t> added;  // the pilot's live entries of no base slot
        for (std::size_t k = 0, j = 0; k < mineRecord.Names.size(); ++k) {
            if (j < baseSlots.size() && std::size_t(baseSlots[j] - 1) == k)
                ++j;
            else if (mineRecord.EntryAlive[k])
                added.push_back(k);
        }
        if (changed.empty() && added.empty())
            continue;
        if (!theirGroup) {  // removed there, changed here: the pilot's group comes back whole
            conflict(header, {}, std::nullopt, "",
                     {{Kind::AppendGroup, {}, std::string(header), {}, liveEntries(mine, mineGroup)}});
            continue;
        }

        const Occurrences baseEntries = entriesOf(base, baseGroup);
        const Occurrences theirEntries = entriesOf(theirs_, theirGroup);
        for (const std::size_t j : changed) {
            const auto k = std::size_t(baseSlots[j] - 1);
            const std::string_view name = base.text(base.group(baseGroup).Names[j]);
            const std::string_view baseValue = valueAt(base, baseGroup, int(j) + 1);
            const std::int16_t theirEntry = theirEntries.find(name, baseEntries.occurrenceOf(name, slot(j + 1)));
            const std::optional<std::string_view> theirValue = theirEntry ? std::optional(valueAt(theirs_, theirGroup,
                                                                                                  theirEntry))
                                                                          : std::nullopt;
            const std::optional<std::string_view> mineValue = liveInMine(k)
                                                                  ? std::optional(mine.text(mineRecord.Values[k]))
                                                                  : std::nullopt;
            if (theirValue == mineValue)
                continue;  // the same on both sides
            Step step = mineValue ? Step{Kind::SetValue, {theirGroup, theirEntry}, std::string(*mineValue), {}, {}}
                                  : Step{Kind::RemoveEntry, {theirGroup, theirEntry}, {}, {}, {}};
            if (!theirEntry)  // removed there, set here: it comes back
                step = {Kind::AppendEntry, {theirGroup, 0}, std::string(name), std::string(*mineValue), {}};
            if (theirValue == baseValue)
                steps_.push_back(std::move(step));
            else
                conflict(header, name, theirValue, mineValue, {std::move(step)});
        }
        // An entry both sides added alike is there once; added with two values, it is a conflict.
        std::unordered_map<std::string_view, std::size_t> addedSoFar;
        for (const std::size_t k : added) {
            const std::string_view name = mine.text(mineRecord.Names[k]);
            const std::string_view value = mine.text(mineRecord.Values[k]);
            const std::int16_t theirEntry = theirEntries.find(name, baseEntries.count(name) + addedSoFar[name]++);
            if (!theirEntry)
                steps_.push_back({Kind::AppendEntry, {theirGroup, 0}, std::string(name), std::string(value), {}});
            else if (valueAt(theirs_, theirGroup, theirEntry) != value)
                conflict(header, name, valueAt(theirs_, theirGroup, theirEntry), value,
                         {{Kind::SetValue, {theirGroup, theirEntry}, std::string(value), {}, {}}});
        }
    }

    // Groups the pilot added; one that theirs added alike is there once.
    std::unordered_map<std::string_view, std::size_t> addedGroups;
    for (int g = 1; g <= mine.GroupCount(); ++g) {
        if (mapped[std::size_t(g)] || !mine.group(g).Alive)
            continue;
        const std::string_view header = mine.text(mine.group(g).Header);
        const std::int16_t theirGroup = theirGroups.find(header, baseGroups.count(header) + addedGroups[header]++);
        if (!theirGroup || !sameEntries(theirs_, theirGroup, mine, g))
            steps_.push_back({Kind::AppendGroup, {}, std::string(header), {}, liveEntries(mine, g)});
    }
}

std::optional<Document> MergePlan::merged(const std::vector<bool>& mineWins) &&
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
    // Room first: the slots a document can hold are not crossed.
    std::unordered_map<int, int> appended;
    int groups = theirs_.GroupCount();
    for (const Step* step : steps) {
        if (step->kind == Step::Kind::AppendGroup) {
            if (++groups > kMaxSlots || int(step->entries.size()) > kMaxSlots)
                return std::nullopt;
        } else if (step->kind == Step::Kind::AppendEntry &&
                   theirs_.group(step->at.group).EntryCount() + ++appended[step->at.group] > kMaxSlots) {
            return std::nullopt;
        }
    }
    const auto append = [this](int group, std::string_view name, std::string_view value) {
        theirs_.appendEntry(group, theirs_.store(name), theirs_.store(value));
    };
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
            append(step->at.group, step->text, step->other);
            break;
        case Step::Kind::AppendGroup: {
            theirs_.Groups.emplace_back().Header = theirs_.store(step->text);
            for (const auto& [name, value] : step->entries)
                append(theirs_.GroupCount(), name, value);
            break;
        }
        }
    }
    return std::move(theirs_);
}

}  // namespace modMain
