#pragma once

#include "files/file_bytes.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The in-memory form of one configuration file: groups in creation order, each a
// header line and its entries. Positions are 1-based and never change while a
// document lives: removing a group or an entry only clears its live flag.
namespace modMain {

// Counts are 16-bit signed in the file's world: a document holds at most this
// many group slots, and a group this many entry slots, removed ones included.
inline constexpr int kMaxSlots = 32767;

// A text held by a document: a range of the loaded file's bytes, or one of the
// texts stored since the load. Eight bytes, so that a million entries cost a few
// megabytes instead of two million heap strings.
struct TextRef {
    std::uint32_t start = 0;  // the top bit marks a text stored since the load
    std::uint32_t size = 0;

    bool operator==(const TextRef&) const = default;
};

struct EntryPosition {
    std::int16_t group = 0;
    std::int16_t entry = 0;

    bool operator==(const EntryPosition&) const = default;
};

// A live entry as the lists show it: where it is, its name and its value.
struct LiveEntry {
    EntryPosition at;
    TextRef name;
    TextRef value;
};

struct GroupRecord {
    bool Alive = true;
    TextRef Header;
    std::vector<TextRef> Names;
    std::vector<TextRef> Values;
    std::vector<bool> EntryAlive;
    // The bytes of the loaded file that its entry lines were read from (none
    // for a group made since): every text of its entries that is the file's
    // lies within them, so a search can pass over them in one look.
    TextRef entryLines;
    // Whether some text of its entries may have been stored since the load
    // (typed, pasted, or put back by an undo); kept until the next load.
    bool storedTexts = false;

    std::int16_t EntryCount() const { return static_cast<std::int16_t>(Names.size()); }
};

// The loaded file's bytes, which the document's texts point into; shared with
// whoever keeps the file as it was read (a merge's base).
using files::copyFileBytes;
using files::FileBytes;

class Document {
public:
    // The largest file a document is read from. A document costs its file's
    // bytes and some 17 more for each line, and a line can be as short as two
    // bytes ("=" and its line end): a file of this size can need 2.5 GiB,
    // which a desktop has to spare. It is ten times the largest document the
    // simulator's format sensibly holds (32767 groups of 30 entries, 26 MB),
    // and well within what a TextRef can address.
    static constexpr std::size_t kMaxFileSize = std::size_t(256) << 20;

    Document() = default;
    explicit Document(FileBytes file);
    // Moved, never copied by accident: a document can be hundreds of megabytes.
    Document(Document&&) noexcept = default;
    Document& operator=(Document&&) noexcept = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Group position p is Groups[p - 1]; there are never more than kMaxSlots.
    std::vector<GroupRecord> Groups;

    std::int16_t GroupCount() const { return static_cast<std::int16_t>(Groups.size()); }
    GroupRecord& group(int position) { return Groups[static_cast<std::size_t>(position - 1)]; }
    const GroupRecord& group(int position) const { return Groups[static_cast<std::size_t>(position - 1)]; }

    std::string_view text(TextRef ref) const;
    const FileBytes& fileBytes() const { return file_; }

    // Live groups whose header is exactly `header`, in ascending position.
    std::vector<std::int16_t> findLiveGroups(std::string_view header) const;

    // The live entries of every live group carrying `header`, the groups in position order.
    std::vector<LiveEntry> liveEntriesOf(std::string_view header) const;
    // The same, appended to `entries`: without allocating, where it has room
    // for entrySlotsOf(header) more.
    void appendLiveEntriesOf(std::string_view header, std::vector<LiveEntry>& entries) const;
    // The entry slots of every group carrying `header`, removed groups and
    // entries included: at least as many as its live entries, even after an
    // undo or a redo that adds no slots.
    std::size_t entrySlotsOf(std::string_view header) const;
    // The next live entry after `after` (from the first entry when there is
    // none), in position order and round once to the start, whose name or
    // value holds `text`, letter case aside. A group whose file lines do not
    // hold the text is passed over but for the texts stored since the load.
    std::optional<EntryPosition> nextLiveEntryContaining(std::string_view text,
                                                         std::optional<EntryPosition> after) const;

    // Whether the position names a live entry of a live group, or a live group.
    bool isLive(EntryPosition at) const;
    bool isLiveGroup(int position) const;

    void setValue(EntryPosition at, TextRef value);
    // Appends an entry to the group, which must have room for it.
    void appendEntry(int group, TextRef name, TextRef value);
    void removeGroup(int group) { this->group(group).Alive = false; }
    void removeEntry(EntryPosition at);

    // Calls onHeader(header) for each live group in position order, followed by
    // onEntry(name, value) for each of its live entries in position order.
    template <typename OnHeader, typename OnEntry>
    void walkLive(OnHeader&& onHeader, OnEntry&& onEntry) const;

    // Where a text of the loaded file lies in it; the reader builds its TextRefs
    // from this without copying.
    TextRef fileText(std::string_view inFile) const
    {
        return {static_cast<std::uint32_t>(inFile.data() - file_.data.get()),
                static_cast<std::uint32_t>(inFile.size())};
    }

    // Keeps a text for as long as the document lives.
    TextRef store(std::string_view text);
    static bool isStored(TextRef ref) { return ref.start & kStoredFlag; }

private:
    static constexpr std::uint32_t kStoredFlag = 0x80000000u;

    FileBytes file_;
    // A deque never moves its strings, so views of short ones stay valid as it grows.
    std::deque<std::string> stored_;
};

template <typename OnHeader, typename OnEntry>
void Document::walkLive(OnHeader&& onHeader, OnEntry&& onEntry) const
{
    for (const GroupRecord& group : Groups) {
        if (!group.Alive)
            continue;
        onHeader(text(group.Header));
        for (std::size_t k = 0; k < group.Names.size(); ++k) {
            if (group.EntryAlive[k])
                onEntry(text(group.Names[k]), text(group.Values[k]));
        }
    }
}

}  // namespace modMain
