// The Recycle Bin on Windows, as Explorer's delete fills it.
#include "files/trash.h"

#include <QDir>
#include <QFile>

#include <windows.h>

#include <shellapi.h>

namespace files {

bool moveToTrash(const QString& path)
{
    // Qt's own move (the shell's IFileOperation) first; where the shell has
    // no such operation (Wine), its older one, which recycles too.
    if (QFile::moveToTrash(path))
        return true;
    std::wstring names = QDir::toNativeSeparators(path).toStdWString();
    names.push_back(L'\0');  // the list of names ends with an empty one
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted && !QFile::exists(path);
}

}  // namespace files
