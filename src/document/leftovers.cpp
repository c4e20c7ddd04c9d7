#include "document/leftovers.h"

#include "document/content_hash.h"

#include <QRandomGenerator>

#include <chrono>

namespace modMain::leftovers {
namespace {

// Temporary files of a save cut short are removed when they are this old.
constexpr auto kLeftoverAge = std::chrono::minutes(10);

qsizetype nameStart(const QString& target)
{
    return std::max(target.lastIndexOf(u'/'), target.lastIndexOf(u'\\')) + 1;
}

// A short mark of a file's name for the temporary files of its saves, so that
// they are told from those of other files and still leave room for the
// longest name.
QString prefixFor(const QString& target)
{
    const QByteArray name = target.mid(nameStart(target)).toUtf8();
    const auto hash = static_cast<std::uint32_t>(hashOf({name.constData(), std::size_t(name.size())}));
    return QStringLiteral(".planora-") + QString::number(hash, 16).rightJustified(8, u'0');
}

}  // namespace

QString folderOf(const QString& target)
{
    const qsizetype start = nameStart(target);
    return start == 0 ? QStringLiteral("./") : target.left(start);
}

files::OpenFile createBeside(const QString& target, const char* kind, bool asNewFile, QString& name)
{
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QString start = folderOf(target) + prefixFor(target) + QString::fromLatin1(kind);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = start;
        for (int i = 0; i < 6; ++i)
            name += QChar(kLetters[QRandomGenerator::global()->bounded(int(std::size(kLetters) - 1))]);
        files::OpenFile file(files::systemCalls().createNew(files::nativeName(name), asNewFile));
        if (file.isOpen() || files::lastError() != files::existsError())
            return file;
    }
    return files::OpenFile();
}

void removeFor(const QString& target)
{
    const QString prefix = prefixFor(target) + u'-';
    const std::int64_t oldest = files::nowNs() - std::chrono::nanoseconds(kLeftoverAge).count();
    const QString folder = folderOf(target);
    files::forEachOwnFile(folder, [&](const QString& name, std::int64_t modifiedNs) {
        if (name.startsWith(prefix) && name.size() == prefix.size() + 6 && modifiedNs < oldest)
            files::removeFile(folder + name);
    });
}

}  // namespace modMain::leftovers
