// The simulator's file on Windows: in the user's roaming application-data folder.
#include "files/fs9_path.h"

#include <QDir>
#include <QFileInfo>

#include <shlobj.h>

namespace files {

QString FS9Path(int folder)
{
    // The known folder where there is one (no MAX_PATH limit); any other
    // shell folder number through the older call.
    wchar_t* known = nullptr;
    if (folder == kCsidlAppData) {
        QString path;
        if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &known) == S_OK)
            path = QString::fromWCharArray(known);
        CoTaskMemFree(known);
        return path;
    }
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    return QString::fromWCharArray(path);
}

QList<FS9File> findFS9Files()
{
    const QString appData = FS9Path(kCsidlAppData);
    if (appData.isEmpty())
        return {};
    const QString path = QDir::fromNativeSeparators(appData + QStringLiteral("\\Microsoft\\FS9\\fs9.cfg"));
    return {{path, QFileInfo(path).lastModified()}};
}

}  // namespace files
