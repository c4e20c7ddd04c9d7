#include "files/temporary_file.h"

#include "files/leftovers.h"

#include <QRandomGenerator>

namespace files {

namespace {

// Names taken by another file are tried again this many times, each with another mark.
constexpr int kAttempts = 100;

// The random letters that tell a temporary file from others of the same file.
QString mark()
{
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString letters;
    for (int i = 0; i < kLeftoverMarkLength; ++i)
        letters += QChar(kLetters[QRandomGenerator::global()->bounded(int(std::size(kLetters) - 1))]);
    return letters;
}

}  // namespace

TemporaryFile::TemporaryFile(const QString& target, Holds holds, Access access)
    : target_(target)
{
    const QString start = leftoverPrefix(target, holds);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        name_ = start + mark();
        file_ = OpenFile(systemCalls().createNew(nativeName(name_), access == Access::AsNewFile));
        if (file_.isOpen() || lastError() != existsError())
            break;
    }
    done_ = !file_.isOpen();
}

TemporaryFile::~TemporaryFile()
{
    discard();
}

void TemporaryFile::discard()
{
    if (done_)
        return;
    const int error = lastError();  // what went wrong is told, not the removal's own error
    file_ = OpenFile();
    removeFile(name_);
    setLastError(error);
    done_ = true;
}

bool TemporaryFile::rename(Holds holds)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QString name = leftoverPrefix(target_, holds) + mark();
        if (systemCalls().putInPlace(nativeName(name_), nativeName(name), false)) {
            name_ = name;
            return true;
        }
        if (lastError() != existsError())
            return false;
    }
    return false;
}

bool TemporaryFile::commit(Placing placing)
{
    if (!systemCalls().putInPlace(nativeName(name_), nativeName(target_), placing == Placing::Replacing))
        return false;
    done_ = true;
    return true;
}

}  // namespace files
