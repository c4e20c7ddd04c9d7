#pragma once

#include "document/document.h"
#include "document/document_editor.h"
#include "document/reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace modMain::testing {

// The live content as the walk yields it: "H " + header, "E " + name + " | " + value.
inline std::vector<std::string> liveContent(const Document& document)
{
    std::vector<std::string> content;
    document.walkLive([&](std::string_view header) { content.push_back("H " + std::string(header)); },
                      [&](std::string_view name, std::string_view value) {
                          content.push_back("E " + std::string(name) + " | " + std::string(value));
                      });
    return content;
}

// Every slot, removed ones included: "+" or "-" for the live flag, then
// "G " + header or "E " + name + " | " + value.
inline std::vector<std::string> allSlots(const Document& document)
{
    std::vector<std::string> all;
    for (const GroupRecord& group : document.Groups) {
        all.push_back((group.Alive ? "+G " : "-G ") + std::string(document.text(group.Header)));
        for (std::size_t k = 0; k < group.Names.size(); ++k) {
            all.push_back((group.EntryAlive[k] ? "+E " : "-E ") + std::string(document.text(group.Names[k])) + " | " +
                          std::string(document.text(group.Values[k])));
        }
    }
    return all;
}

// Follows an editor, recording each change it reports with how (nothing for
// a change made) and every slot as the last change made left them; refuses to
// follow the changes made while told to.
struct RecordingFollower final : DocumentFollower {
    explicit RecordingFollower(DocumentEditor& followed)
        : editor(followed)
    {
        followed.setFollower(this);
    }
    void aboutToReplace() noexcept override {}
    void replaced() noexcept override { slotsAfterLastMade = allSlots(editor.document()); }
    bool followMade(const Change& change) noexcept override
    {
        reports.emplace_back(change, std::nullopt);
        if (!refuse)
            replaced();
        return !refuse;
    }
    void followStep(const Change& change, ChangeEvent event) noexcept override { reports.emplace_back(change, event); }

    DocumentEditor& editor;
    std::vector<std::pair<Change, std::optional<ChangeEvent>>> reports;
    std::vector<std::string> slotsAfterLastMade;
    bool refuse = false;
};

// A file written compactly, as the tables write it: its lines separated by spaces.
inline std::string cfg(std::string_view lines)
{
    std::string text;
    for (const char c : lines)
        text += c == ' ' ? std::string("\r\n") : std::string(1, c);
    return lines.empty() ? text : text + "\r\n";
}

inline Document parsed(std::string_view text)
{
    ReadResult result = parseDocument(copyFileBytes(text));
    EXPECT_TRUE(result.document) << result.error.toStdString();
    return result.document ? std::move(*result.document) : Document();
}

}  // namespace modMain::testing
