// Windows gives a program of windows no console: started from one (cmd.exe,
// PowerShell), it borrows its parent's to print; its output sent to a file or
// a pipe goes there as it is.
#include "app/console.h"

#include <windows.h>

namespace {

HANDLE standardHandle(std::FILE* stream)
{
    const DWORD which = stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE handle = GetStdHandle(which);
    // Nothing to print to: the console of the program that started this one, where there is one.
    static const bool attached = !handle && AttachConsole(ATTACH_PARENT_PROCESS);
    if (!handle && attached)
        handle = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

void printText(std::FILE* stream, const QString& text)
{
    HANDLE handle = standardHandle(stream);
    if (!handle)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    // A console takes the text whole, whatever its code page; a file or a pipe, the ANSI bytes.
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.utf16()), DWORD(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toLocal8Bit();
    WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}
