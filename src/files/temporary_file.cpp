#include "files/temporary_file.h"

#include "files/leftovers.h"

#include <QRandomGenerator>

namespace files {

TemporaryFile::TemporaryFile(const QString& target, Holds holds, Access access)
    : target_(target)
{
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QString start = leftoverPrefix(target, holds);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name_ = start;
        for (int i = 0; i < kLeftoverMarkLength; ++i)
            name_ += QChar(kLetters[QRandomGenerator::global()->bounded(int(std::size(kLetters) - 1))]);
        file_ = OpenFile(systemCalls().createNew(nativeName(name_), access == Access::AsNewFile));
        if (file_.isOpen() || lastError() != existsError())
            break;
    }
    done_ = !file_.isOpen();
}

TemporaryFile::~TemporaryFile()
{
    if (done_)
        return;
    const int error = lastError();  // what went wrong is told, not the removal's own error
    file_ = OpenFile();
    removeFile(name_);
    setLastError(error);
}

bool TemporaryFile::commit(Placing placing)
{
    if (!systemCalls().putInPlace(nativeName(name_), nativeName(target_), placing == Placing::Replacing))
        return false;
    done_ = true;
    return true;
}

}  // namespace files
