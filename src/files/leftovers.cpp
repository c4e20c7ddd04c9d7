#include "files/leftovers.h"

#include "files/content_hash.h"

#include <chrono>
#include <functional>

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

// Calls `visit` with the name (its folder included) and time of each of the
// user's own temporary files of this kind of `target`.
static void forEachLeftover(const QString& target, TemporaryFile::Holds holds,
                            const std::function<void(const QString& name, std::int64_t modifiedNs)>& visit)
{
    const QString folder = folderOf(target);
    const QString prefix = leftoverPrefix(target, holds).mid(folder.size());
    forEachOwnFile(folder, [&](const QString& name, std::int64_t modifiedNs) {
        if (name.startsWith(prefix) && name.size() == prefix.size() + kLeftoverMarkLength)
            visit(folder + name, modifiedNs);
    });
}

void removeLeftoversOf(const QString& target)
{
    const std::int64_t oldest = nowNs() - std::chrono::nanoseconds(kLeftoverAge).count();
    forEachLeftover(target, TemporaryFile::Holds::NewContent, [&](const QString& name, std::int64_t modifiedNs) {
        if (modifiedNs < oldest)
            removeFile(name);
    });
}

std::optional<QString> unfinishedSaveOf(const QString& path)
{
    QString target;
    std::optional<FileState> state;
    if (!resolve(path, target, state))
        return std::nullopt;
    std::optional<QString> newest;
    std::int64_t newestNs = 0;
    forEachLeftover(target, TemporaryFile::Holds::OldContent, [&](const QString& name, std::int64_t modifiedNs) {
        if (!newest || modifiedNs > newestNs) {
            newest = name;
            newestNs = modifiedNs;
        }
    });
    return newest;
}

void removeUnfinishedSavesOf(const QString& target)
{
    forEachLeftover(target, TemporaryFile::Holds::OldContent,
                    [](const QString& name, std::int64_t) { removeFile(name); });
}

}  // namespace files
