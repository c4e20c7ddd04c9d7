// The Recycle Bin on Windows, as Explorer's delete fills it.
#include "files/trash.h"

#include "files/system_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <windows.h>

#include <shellapi.h>

namespace files {

QString moveToTrash(const QString& path)
{
    if (!QFileInfo::exists(path))
        return systemReason(notFoundError());
    // Where a drive has no Recycle Bin (a network share, some removable
    // drives), the shell would delete the file for good: it stays.
    const std::wstring root = QDir::toNativeSeparators(QStorageInfo(path).rootPath()).toStdWString();
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof bin;
    if (root.empty() || FAILED(SHQueryRecycleBinW(root.c_str(), &bin)))
        return QStringLiteral("A unidade do arquivo não tem Lixeira. O arquivo não foi excluído.");
    // Qt's own move (the shell's IFileOperation) first; where the shell has
    // no such operation (Wine), its older one, which recycles too.
    if (QFile::moveToTrash(path))
        return {};
    std::wstring names = QDir::toNativeSeparators(path).toStdWString();
    names.push_back(L'\0');  // the list of names ends with an empty one
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    const int failed = SHFileOperationW(&operation);
    if (failed == 0 && !operation.fAnyOperationsAborted && !QFile::exists(path))
        return {};
    return QStringLiteral("O Windows não pôde pôr o arquivo na Lixeira (código %1).").arg(failed);
}

}  // namespace files
