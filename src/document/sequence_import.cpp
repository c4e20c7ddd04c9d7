// Planning a pasted block: worked out whole first, so that a block either goes
// in completely or leaves the document as it was.
#include "document/document_editor.h"
#include "document/line_syntax.h"
#include "document/text_codec.h"

#include <unordered_map>

namespace modMain {
namespace {

// An entry the block may set: where it is, and its value as the block leaves it so far.
struct KnownEntry {
    EntryPosition at;
    std::string_view value;
};

// What the block does to the groups of one header. Headers and names are
// matched letter case aside, as the simulator reads them (keys here are
// case-folded); the file keeps its own spelling.
struct HeaderPlan {
    int target = 0;  // the group its new entries go to
    // Each name's first live entry in the groups of the header, or the one the block appends.
    std::unordered_map<std::string, KnownEntry> entries;
    bool entriesKnown = false;
};

// A line of blanks only is as good as an empty one in a pasted block.
bool isBlank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// A step whose texts are still the block's own, stored once the whole block fits.
struct PendingStep {
    EditStep::Kind kind;
    EntryPosition at;
    std::string_view text;
    std::string_view other;
};

class BlockPlanner {
public:
    explicit BlockPlanner(Document& document)
        : document_(document)
        , nextGroup_(document.GroupCount() + 1)
    {
        // The first live group of each header, in one pass over the document
        // rather than a search for each header of the block.
        for (int position = document.GroupCount(); position >= 1; --position) {
            if (const GroupRecord& group = document.group(position); group.Alive)
                headers_[foldCase(document.text(group.Header))].target = position;
        }
    }

    PlannedChange plan(std::string_view block)
    {
        HeaderPlan* current = nullptr;
        ConfigLines lines(block);
        ConfigLine line;
        for (std::size_t number = 1; lines.next(line); ++number) {
            if (line.kind == LineKind::Header) {
                current = &header(line.text);
            } else if (!current) {
                return {EditOutcome::FirstLineNotHeader, {}};
            } else if (line.kind == LineKind::Entry && !entry(*current, line.name, line.value)) {
                return {EditOutcome::TooManyEntries, {}};
            } else if (line.kind == LineKind::Other && !isBlank(line.text)) {
                return {EditOutcome::UnreadableLine, {}, number};
            }
        }
        if (nextGroup_ - 1 > kMaxSlots)
            return {EditOutcome::TooManyGroups, {}};
        return {EditOutcome::Done, materialized()};
    }

private:
    HeaderPlan& header(std::string_view text)
    {
        HeaderPlan& plan = headers_[foldCase(text)];
        if (plan.target == 0) {
            plan.target = nextGroup_++;
            plan.entriesKnown = true;
            entryCounts_[plan.target] = 0;
            steps_.push_back({EditStep::Kind::AppendGroup, position(plan.target, 0), text, {}});
        }
        return plan;
    }

    // Past the last slot only in a block that is refused before its steps are made.
    static EntryPosition position(int group, int entry)
    {
        return {static_cast<std::int16_t>(group), static_cast<std::int16_t>(entry)};
    }

    // A name already there takes the value, unless it has it already; a new
    // one is appended. False when the target group has no slot left.
    bool entry(HeaderPlan& plan, std::string_view name, std::string_view value)
    {
        if (!plan.entriesKnown) {
            const std::string_view header = document_.text(document_.group(plan.target).Header);
            for (int g = plan.target; g <= document_.GroupCount(); ++g) {
                const GroupRecord& group = document_.group(g);
                if (!group.Alive || !sameRegardlessOfCase(document_.text(group.Header), header))
                    continue;
                for (std::size_t k = 0; k < group.Names.size(); ++k) {
                    if (group.EntryAlive[k])
                        plan.entries.try_emplace(foldCase(document_.text(group.Names[k])),
                                                 KnownEntry{position(g, int(k) + 1), document_.text(group.Values[k])});
                }
            }
            plan.entriesKnown = true;
        }
        const std::string key = foldCase(name);
        if (const auto existing = plan.entries.find(key); existing != plan.entries.end()) {
            if (existing->second.value != value) {
                existing->second.value = value;
                steps_.push_back({EditStep::Kind::SetValue, existing->second.at, value, {}});
            }
            return true;
        }
        auto [count, isNew] = entryCounts_.try_emplace(plan.target, 0);
        if (isNew)
            count->second = document_.group(plan.target).EntryCount();
        if (count->second >= kMaxSlots)
            return false;
        const EntryPosition at = position(plan.target, ++count->second);
        plan.entries.emplace(key, KnownEntry{at, value});
        steps_.push_back({EditStep::Kind::AppendEntry, at, name, value});
        return true;
    }

    // The steps with their texts stored in the document; a value set records
    // the value it replaces, the document's or one the block set before.
    Change materialized()
    {
        Change change{Change::Kind::Import, {}, {}};
        change.steps.reserve(steps_.size());
        std::unordered_map<std::int32_t, TextRef> values;  // each entry's value as the block leaves it
        const auto key = [](EntryPosition at) { return (std::int32_t{at.group} << 16) | at.entry; };
        for (const PendingStep& step : steps_) {
            EditStep made{step.kind, step.at, document_.store(step.text), {}};
            if (step.kind == EditStep::Kind::AppendEntry) {
                made.other = document_.store(step.other);
                values[key(step.at)] = made.other;
            } else if (step.kind == EditStep::Kind::SetValue) {
                const auto planned = values.find(key(step.at));
                made.other = planned != values.end()
                                 ? planned->second
                                 : document_.group(step.at.group).Values[static_cast<std::size_t>(step.at.entry - 1)];
                values[key(step.at)] = made.text;
            }
            change.steps.push_back(made);
        }
        return change;
    }

    Document& document_;
    int nextGroup_;
    std::unordered_map<std::string, HeaderPlan> headers_;
    std::unordered_map<int, int> entryCounts_;  // of the groups the block appends to
    std::vector<PendingStep> steps_;
};

}  // namespace

PlannedChange planImport(Document& document, std::string_view block)
{
    return BlockPlanner(document).plan(block);
}

}  // namespace modMain
