#include "files/leftovers.h"

#include "files/content_hash.h"

#include <chrono>

namespace files {
namespace {

// Temporary files of a save cut short are removed when they are this old.
constexpr auto kLeftoverAge = std::chrono::minutes(10);

qsizetype nameStart(const QString& target)
{
    return std::max(target.lastIndexOf(u'/'), target.lastIndexOf(u'\\')) + 1;
}

QString folderOf(const QString& target)
{
    const qsizetype start = nameStart(target);
    return start == 0 ? QStringLiteral("./") : target.left(start);
}

}  // namespace

QString leftoverPrefix(const QString& target, TemporaryFile::Holds holds)
{
    const QByteArray name = target.mid(nameStart(target)).toUtf8();
    const auto hash = static_cast<std::uint32_t>(hashOf({name.constData(), std::size_t(name.size())}));
    return folderOf(target) + QStringLiteral(".planora-") + QString::number(hash, 16).rightJustified(8, u'0') +
           (holds == TemporaryFile::Holds::NewContent ? QStringLiteral("-") : QStringLiteral("-copia-"));
}

void removeLeftoversOf(const QString& target)
{
    const QString folder = folderOf(target);
    const QString prefix = leftoverPrefix(target, TemporaryFile::Holds::NewContent).mid(folder.size());
    const std::int64_t oldest = nowNs() - std::chrono::nanoseconds(kLeftoverAge).count();
    forEachOwnFile(folder, [&](const QString& name, std::int64_t modifiedNs) {
        if (name.startsWith(prefix) && name.size() == prefix.size() + kLeftoverMarkLength && modifiedNs < oldest)
            removeFile(folder + name);
    });
}

}  // namespace files
