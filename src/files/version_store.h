#pragma once

#include "files/file_bytes.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The earlier states of a file, kept by themselves in the user's own data
// folder (never beside the file): each time the file is read, written or
// changed by another program, its bytes, compressed, under a name of their
// own, readable by the user alone.
namespace files {

// How many versions of one file are kept, and how many bytes they take on
// disk at most; the oldest go first.
inline constexpr int kMaxVersions = 200;
inline constexpr std::int64_t kMaxVersionBytes = std::int64_t(64) << 20;

// Where a version came from.
enum class VersionSource : std::uint8_t { Opened = 1, SavedHere = 2, ChangedElsewhere = 3 };

struct VersionInfo {
    QString name;  // the version's own file
    std::int64_t timeNs = 0;
    VersionSource source = VersionSource::Opened;
    std::uint64_t size = 0;  // of the bytes kept
    std::uint64_t hash = 0;  // of the bytes kept
    std::int64_t storedBytes = 0;
    bool damaged = false;  // unreadable as a version: its bytes cannot be had back
};

// How many versions of one file a store keeps, and how many bytes at most.
struct VersionBounds {
    int versions = kMaxVersions;
    std::int64_t bytes = kMaxVersionBytes;
};

class VersionStore {
public:
    // A store in `folder`, a folder of its own for each file kept.
    explicit VersionStore(QString folder, VersionBounds bounds = {});
    // The user's own data folder's, on Windows the local one, not the roaming one.
    static QString defaultFolder();

    // Keeps `bytes` as the newest version of the file `target` (a name its
    // content lives under), unless the newest one kept holds them already.
    // Why not, in words for the user, or an empty text.
    QString keep(const QString& target, std::string_view bytes, VersionSource source, std::int64_t timeNs) const;

    // The versions of `target`, the newest first; why not, when the store cannot be read.
    struct Listing {
        std::vector<VersionInfo> versions;
        QString error;
    };
    Listing list(const QString& target) const;

    // A version's bytes, or why they cannot be had.
    struct Loaded {
        std::optional<FileBytes> bytes;
        QString error;
    };
    Loaded load(const VersionInfo& version) const;

    // Removes every version of `target`; why not, or an empty text.
    QString removeAll(const QString& target) const;

private:
    QString folderOf(const QString& target) const;
    // Removes the oldest versions past the bounds.
    void prune(const QString& folder) const;

    QString folder_;
    VersionBounds bounds_;
};

// A version's time and source, as a list shows them.
QString sourceText(VersionSource source);

}  // namespace files
