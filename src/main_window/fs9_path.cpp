#include "main_window/fs9_path.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

QString FS9Path(int folder)
{
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    return QString::fromWCharArray(path);
}

#else

namespace {

QString loginName()
{
    if (const passwd* user = getpwuid(getuid()))
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER");
}

}  // namespace

QString FS9Path(int folder)
{
    if (folder != kCsidlAppData)
        return {};
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty()) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            return {};
        prefix = home + QStringLiteral("/.wine");
    }
    const QString user = prefix + QStringLiteral("/drive_c/users/") + loginName();
    // Wine names the folder after the Windows version it imitates.
    for (const QString& candidate : {user + QStringLiteral("/AppData/Roaming"), user + QStringLiteral("/Application Data")}) {
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return {};
}

#endif

QString defaultFS9File()
{
    return FS9Path(kCsidlAppData) + QDir::toNativeSeparators(QStringLiteral("/Microsoft/FS9/fs9.cfg"));
}
