#pragma once

#include "files/open_file.h"

#include <QString>

namespace files {

// A file beside a target, under a name of its own, as QSaveFile writes one:
// commit() puts it in the target's place; otherwise it is removed when it
// goes out of scope, unless it is kept.
class TemporaryFile {
public:
    // What it holds: the new content of a save, or a copy of the target's old content.
    enum class Holds { NewContent, OldContent };
    // Made with the permissions a new file gets, or with the owner's alone.
    enum class Access { AsNewFile, OwnerOnly };
    // Whether it takes the place of a file there, or of none.
    enum class Placing { New, Replacing };

    TemporaryFile(const QString& target, Holds holds, Access access);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // False, the system's error left, when it could not be made.
    bool isOpen() const { return file_.isOpen(); }
    const OpenFile& file() const { return file_; }
    const QString& name() const { return name_; }

    // Closes it, telling a failure to close.
    bool close() { return file_.close(); }
    // Puts it, closed, in the target's place; from then on it is the target.
    bool commit(Placing placing);
    // Gives it, closed, the name of a temporary file of another kind.
    bool rename(Holds holds);
    // Leaves it where it is: it holds the only copy left of what it holds.
    void keep() { done_ = true; }
    // Removes it now.
    void discard();

private:
    QString target_;
    QString name_;
    OpenFile file_;
    bool done_ = false;
};

}  // namespace files
