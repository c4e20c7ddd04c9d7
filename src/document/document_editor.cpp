#include "document/document_editor.h"

#include "document/differences.h"

#include <algorithm>
#include <new>

namespace modMain {
namespace {

std::size_t index(std::int16_t position)
{
    return static_cast<std::size_t>(position - 1);
}

// Room for one more element, growing as push_back would; may throw, changing nothing.
template <typename Vector>
void makeRoom(Vector& vector)
{
    if (vector.size() == vector.capacity())
        vector.reserve(std::max<std::size_t>(8, vector.capacity() * 2));
}

void applyStep(Document& document, const EditStep& step)
{
    switch (step.kind) {
    case EditStep::Kind::AppendGroup:
        document.Groups.emplace_back().Header = step.text;
        break;
    case EditStep::Kind::AppendEntry: {
        GroupRecord& group = document.group(step.at.group);
        makeRoom(group.Names);
        makeRoom(group.Values);
        makeRoom(group.EntryAlive);
        document.appendEntry(step.at.group, step.text, step.other);
        break;
    }
    case EditStep::Kind::SetValue:
        document.setValue(step.at, step.text);
        break;
    case EditStep::Kind::RemoveEntry:
        document.removeEntry(step.at);
        break;
    case EditStep::Kind::RemoveGroup:
        document.removeGroup(step.at.group);
        break;
    }
}

// Never allocates, so taking a change back cannot fail.
void revertStep(Document& document, const EditStep& step) noexcept
{
    switch (step.kind) {
    case EditStep::Kind::AppendGroup:
        document.Groups.pop_back();
        break;
    case EditStep::Kind::AppendEntry: {
        GroupRecord& group = document.group(step.at.group);
        group.Names.pop_back();
        group.Values.pop_back();
        group.EntryAlive.pop_back();
        break;
    }
    case EditStep::Kind::SetValue:
        document.setValue(step.at, step.other);
        break;
    case EditStep::Kind::RemoveEntry:
        document.group(step.at.group).EntryAlive[index(step.at.entry)] = true;
        break;
    case EditStep::Kind::RemoveGroup:
        document.group(step.at.group).Alive = true;
        break;
    }
}

}  // namespace

void DocumentEditor::replace(Document document)
{
    if (follower_)
        follower_->aboutToReplace();
    document_ = std::move(document);
    if (follower_)
        follower_->replaced();
}

bool DocumentEditor::apply(const Change& change)
{
    if (change.swapsDocument()) {
        std::swap(document_, *change.swapped);
        return true;
    }
    std::size_t applied = 0;
    try {
        for (; applied < change.steps.size(); ++applied)
            applyStep(document_, change.steps[applied]);
    } catch (const std::bad_alloc&) {
        while (applied > 0)
            revertStep(document_, change.steps[--applied]);
        return false;
    }
    return true;
}

void DocumentEditor::revert(const Change& change) noexcept
{
    if (change.swapsDocument())
        std::swap(document_, *change.swapped);
    for (auto step = change.steps.rbegin(); step != change.steps.rend(); ++step)
        revertStep(document_, *step);
}

template <typename Plan>
ImportOutcome DocumentEditor::make(Plan&& plan)
{
    PlannedChange planned;
    try {
        planned = plan();
    } catch (const std::bad_alloc&) {
        return {EditOutcome::OutOfMemory};
    }
    if (planned.outcome == EditOutcome::Done && planned.change.steps.empty() && !planned.change.swapped)
        return {EditOutcome::Unchanged};
    if (planned.outcome != EditOutcome::Done)
        return {planned.outcome, planned.line};
    if (!apply(planned.change))
        return {EditOutcome::OutOfMemory};
    if (follower_ && !follower_->followMade(planned.change)) {
        revert(planned.change);
        return {EditOutcome::OutOfMemory};
    }
    return {EditOutcome::Done};
}

void DocumentEditor::undo(const Change& change)
{
    revert(change);
    if (follower_)
        follower_->followStep(change, ChangeEvent::Undone);
}

EditOutcome DocumentEditor::redo(const Change& change)
{
    if (!apply(change))
        return EditOutcome::OutOfMemory;
    if (follower_)
        follower_->followStep(change, ChangeEvent::Redone);
    return EditOutcome::Done;
}

EditOutcome DocumentEditor::setValue(EntryPosition at, std::string_view value)
{
    return make([&]() -> PlannedChange {
               if (!document_.isLive(at))
                   return {EditOutcome::NoTarget, {}};
               const TextRef replaced = document_.group(at.group).Values[index(at.entry)];
               if (document_.text(replaced) == value)
                   return {EditOutcome::Unchanged, {}};
               return {
                   EditOutcome::Done,
                   {Change::Kind::SetValue, {{EditStep::Kind::SetValue, at, document_.store(value), replaced}}, {}}};
           })
        .outcome;
}

EditOutcome DocumentEditor::swapIn(Document document, Change::Kind kind)
{
    return make([&]() -> PlannedChange {
               return {EditOutcome::Done, {kind, {}, std::make_shared<Document>(std::move(document))}};
           })
        .outcome;
}

EditOutcome DocumentEditor::merge(Document merged)
{
    return swapIn(std::move(merged), Change::Kind::Merge);
}

EditOutcome DocumentEditor::reload(Document read)
{
    return swapIn(std::move(read), Change::Kind::Reload);
}

EditOutcome DocumentEditor::addGroup(std::string_view header)
{
    return make([&]() -> PlannedChange {
               if (document_.GroupCount() >= kMaxSlots)
                   return {EditOutcome::TooManyGroups, {}};
               const EntryPosition at{static_cast<std::int16_t>(document_.GroupCount() + 1), 0};
               return {EditOutcome::Done,
                       {Change::Kind::AddGroup, {{EditStep::Kind::AppendGroup, at, document_.store(header), {}}}, {}}};
           })
        .outcome;
}

EditOutcome DocumentEditor::addEntry(std::string_view header, std::string_view name, std::string_view value)
{
    return make([&]() -> PlannedChange {
               const std::vector<std::int16_t> groups = document_.findLiveGroups(header);
               if (groups.empty())
                   return {EditOutcome::NoTarget, {}};
               if (std::any_of(groups.begin(), groups.end(),
                               [&](int group) { return document_.group(group).EntryCount() >= kMaxSlots; }))
                   return {EditOutcome::TooManyEntries, {}};
               Change change{Change::Kind::AddEntry, {}, {}};
               change.steps.reserve(groups.size());
               const TextRef storedName = document_.store(name);
               const TextRef storedValue = document_.store(value);
               for (const std::int16_t group : groups) {
                   const EntryPosition at{group, static_cast<std::int16_t>(document_.group(group).EntryCount() + 1)};
                   change.steps.push_back({EditStep::Kind::AppendEntry, at, storedName, storedValue});
               }
               return {EditOutcome::Done, std::move(change)};
           })
        .outcome;
}

EditOutcome DocumentEditor::removeEntry(EntryPosition at)
{
    return make([&]() -> PlannedChange {
               if (!document_.isLive(at))
                   return {EditOutcome::NoTarget, {}};
               return {EditOutcome::Done, {Change::Kind::RemoveEntry, {{EditStep::Kind::RemoveEntry, at, {}, {}}}, {}}};
           })
        .outcome;
}

EditOutcome DocumentEditor::removeGroup(int group)
{
    return make([&]() -> PlannedChange {
               if (!document_.isLiveGroup(group))
                   return {EditOutcome::NoTarget, {}};
               const EntryPosition at{static_cast<std::int16_t>(group), 0};
               return {EditOutcome::Done, {Change::Kind::RemoveGroup, {{EditStep::Kind::RemoveGroup, at, {}, {}}}, {}}};
           })
        .outcome;
}

ImportOutcome DocumentEditor::importBlock(std::string_view block)
{
    return make([&] { return planImport(document_, block); });
}

EditOutcome DocumentEditor::restore(const Document& then, const std::vector<Difference>& chosen)
{
    return make([&] { return planRestore(document_, then, chosen); }).outcome;
}

}  // namespace modMain
