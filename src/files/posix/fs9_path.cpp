// The simulator's file under Wine: in the user's Wine prefixes.
#include "files/fs9_path.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace files {

namespace {

QString loginName()
{
    // The re-entrant form: the search may run on a thread of its own.
    passwd user{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &user, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return {};
}

// The entries of `folder` named `name` in any letter case, as Windows matches names.
QStringList matching(const QString& folder, const QString& name, QDir::Filters filters)
{
    QStringList found;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(filters | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            found.append(dir.filePath(entry));
    }
    return found;
}

// Every path below `folders` that `components` name, in any letter case.
QStringList matchingPaths(const QStringList& folders, const QStringList& components, QDir::Filters last)
{
    QStringList paths = folders;
    for (qsizetype i = 0; i < components.size(); ++i) {
        QStringList next;
        for (const QString& path : paths)
            next += matching(path, components[i], i + 1 == components.size() ? last : QDir::Dirs);
        paths = next;
    }
    return paths;
}

QStringList subfolders(const QString& folder)
{
    QStringList found;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        found.append(dir.filePath(entry));
    return found;
}

// Where Wine, Bottles, Lutris and PlayOnLinux keep their prefixes, in the order they are tried.
QStringList winePrefixes(const QString& home)
{
    QStringList prefixes;
    if (const QString chosen = qEnvironmentVariable("WINEPREFIX"); !chosen.isEmpty())
        prefixes.append(chosen);
    if (home.isEmpty())
        return prefixes;
    prefixes.append(home + QStringLiteral("/.wine"));
    for (const char* managed :
         {"/.local/share/bottles/bottles", "/.var/app/com.usebottles.bottles/data/bottles/bottles", "/Games",
          "/.PlayOnLinux/wineprefix"})
        prefixes += subfolders(home + QString::fromLatin1(managed));
    return prefixes;
}

// The user folders of a prefix: the login name's, $USER's and steamuser's first, then any other.
QStringList userFolders(const QString& prefix)
{
    const QStringList users = matchingPaths({prefix}, {QStringLiteral("drive_c"), QStringLiteral("users")}, QDir::Dirs);
    QStringList folders;
    for (const QString& name : {loginName(), qEnvironmentVariable("USER"), QStringLiteral("steamuser")}) {
        if (!name.isEmpty())
            folders += matchingPaths(users, {name}, QDir::Dirs);
    }
    for (const QString& usersFolder : users)
        folders += subfolders(usersFolder);
    folders.removeDuplicates();
    return folders;
}

// Every fs9.cfg of the prefix, in the order its folders are tried.
QStringList filesIn(const QString& prefix)
{
    const QStringList users = userFolders(prefix);
    const QStringList fs9 = {QStringLiteral("Microsoft"), QStringLiteral("FS9"), QStringLiteral("fs9.cfg")};
    // Anything but a folder counts, so that a pipe in the file's place is refused with its reason.
    const QDir::Filters file = QDir::Files | QDir::System;
    QStringList files;
    for (const QString& user : users) {
        files += matchingPaths({user}, QStringList{QStringLiteral("AppData"), QStringLiteral("Roaming")} + fs9, file);
        files += matchingPaths({user}, QStringList{QStringLiteral("Application Data")} + fs9, file);
    }
    return files;
}

}  // namespace

QList<FS9File> findFS9Files()
{
    const QStringList prefixes = winePrefixes(qEnvironmentVariable("HOME"));
    QList<QStringList> found;
    for (const QString& prefix : prefixes)
        found.append(filesIn(prefix));
    // Real files of that name win over anything else (a pipe, a device),
    // which is offered only where there is no file at all, to be refused with its reason.
    for (const bool regularOnly : {true, false}) {
        QList<FS9File> files;
        QStringList seen;  // one file reached by two names (a linked folder) is offered once
        for (qsizetype i = 0; i < found.size(); ++i) {
            for (const QString& path : found[i]) {
                const QFileInfo info(path);
                if ((regularOnly && !info.isFile()) || seen.contains(info.canonicalFilePath()))
                    continue;
                // The prefix the user chose wins.
                if (i == 0 && qEnvironmentVariableIsSet("WINEPREFIX"))
                    return {{path, info.lastModified()}};
                seen.append(info.canonicalFilePath());
                files.append({path, info.lastModified()});
            }
        }
        if (!files.isEmpty()) {
            std::stable_sort(files.begin(), files.end(),
                             [](const FS9File& a, const FS9File& b) { return a.modified > b.modified; });
            return files;
        }
    }
    return {};
}

QString FS9Path(int folder)
{
    // The application-data folder of the file found: three levels above it.
    const QString file = folder == kCsidlAppData ? defaultFS9File() : QString();
    return file.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(file).path() + QStringLiteral("/../.."));
}

}  // namespace files
