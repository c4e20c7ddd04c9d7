// Planning a pasted block: checked whole first, so that a block either goes
// in completely or leaves the document as it was.
#include "document/document_editor.h"
#include "document/line_syntax.h"

#include <unordered_map>

namespace modMain {
namespace {

// The first live group carrying each header, found in one pass over the
// document rather than by a search for each header of the block.
using HeaderIndex = std::unordered_map<std::string_view, std::int16_t>;

HeaderIndex firstLiveGroups(const Document& document)
{
    HeaderIndex first;
    first.reserve(static_cast<std::size_t>(document.GroupCount()));
    for (int position = 1; position <= document.GroupCount(); ++position) {
        if (const GroupRecord& group = document.group(position); group.Alive)
            first.try_emplace(document.text(group.Header), static_cast<std::int16_t>(position));
    }
    return first;
}

// Whether every line of the block can be applied, or why not.
EditOutcome checkBlock(const Document& document, std::string_view block, const HeaderIndex& groups)
{
    // The entry count each header of the block leads to once the block is in.
    std::unordered_map<std::string_view, int> entryCounts;
    int newGroups = 0;
    int* target = nullptr;
    ConfigLines lines(block);
    ConfigLine line;
    while (lines.next(line)) {
        if (line.kind == LineKind::Header) {
            auto [slot, isNew] = entryCounts.try_emplace(line.text, 0);
            if (isNew) {
                if (const auto live = groups.find(line.text); live == groups.end())
                    ++newGroups;
                else
                    slot->second = document.group(live->second).EntryCount();
            }
            target = &slot->second;
        } else if (!target) {
            return EditOutcome::FirstLineNotHeader;
        } else if (line.kind == LineKind::Entry && ++*target > kMaxSlots) {
            return EditOutcome::TooManyEntries;
        }
    }
    if (document.GroupCount() + newGroups > kMaxSlots)
        return EditOutcome::TooManyGroups;
    return EditOutcome::Done;
}

}  // namespace

PlannedChange planImport(Document& document, std::string_view block)
{
    HeaderIndex groups = firstLiveGroups(document);
    if (const EditOutcome fits = checkBlock(document, block, groups); fits != EditOutcome::Done)
        return {fits, {}};

    Change change{Change::Kind::Import, {}};
    std::unordered_map<std::int16_t, std::int16_t> entryCounts;  // of the groups the block reaches
    auto nextGroup = static_cast<std::int16_t>(document.GroupCount() + 1);
    std::int16_t target = 0;  // the group of the last header line
    ConfigLines lines(block);
    ConfigLine line;
    while (lines.next(line)) {
        if (line.kind == LineKind::Header) {
            if (const auto live = groups.find(line.text); live != groups.end()) {
                target = live->second;
                // A group the block itself made is counted already, and not in the document yet.
                if (!entryCounts.contains(target))
                    entryCounts.emplace(target, document.group(target).EntryCount());
            } else {
                target = nextGroup++;
                change.steps.push_back({EditStep::Kind::AppendGroup, {target, 0}, document.store(line.text), {}});
                groups.emplace(line.text, target);
                entryCounts.emplace(target, 0);
            }
        } else if (line.kind == LineKind::Entry) {
            const EntryPosition at{target, ++entryCounts[target]};
            change.steps.push_back(
                {EditStep::Kind::AppendEntry, at, document.store(line.name), document.store(line.value)});
        }
    }
    return {EditOutcome::Done, std::move(change)};
}

}  // namespace modMain
