// The file layer's seam on Windows: the wide (UTF-16) calls only, never the
// ANSI code page, and names that may be longer than MAX_PATH.
#include "files/system_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <windows.h>

#include <algorithm>

namespace files {
namespace {

HANDLE handleOf(Handle file)
{
    return reinterpret_cast<HANDLE>(file);
}

Handle handleFrom(HANDLE file)
{
    return file == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(file);
}

// File times count 100 ns since 1601; the file layer's clock counts nanoseconds since 1970.
constexpr std::int64_t kTicksTo1970 = 116'444'736'000'000'000;

std::int64_t nanoseconds(std::int64_t ticks)
{
    return (ticks - kTicksTo1970) * 100;
}

std::int64_t nanoseconds(const FILETIME& time)
{
    return nanoseconds(static_cast<std::int64_t>((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

OVERLAPPED at(std::int64_t offset)
{
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(std::uint64_t(offset) >> 32);
    return overlapped;
}

// The names Windows keeps for devices in every folder, with or without an extension.
bool isDeviceName(const QString& path)
{
    static const QStringList devices = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),    QStringLiteral("NUL"),
        QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),   QStringLiteral("COM4"),
        QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"),   QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),   QStringLiteral("LPT3"),
        QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"),   QStringLiteral("LPT7"),
        QStringLiteral("LPT8"), QStringLiteral("LPT9"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    const QString name = QDir::fromNativeSeparators(path).section(u'/', -1).section(u'.', 0, 0).trimmed();
    return devices.contains(name, Qt::CaseInsensitive);
}

Handle create(const NativeName& name, DWORD access, DWORD sharing, DWORD disposition, DWORD flags = 0)
{
    return handleFrom(
        CreateFileW(name.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr));
}

// Whether the program runs under Wine rather than Windows itself: Wine's ntdll says its version.
bool underWine()
{
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// What Wine's ReplaceFileW does, with names of any length: the old file is
// moved aside (which another program having it open allows, where moving
// over it would not), the new one takes its name, and the old one goes. Wine
// has GetTempFileNameW make the aside name in a buffer of MAX_PATH
// characters, which a folder name a few characters short of MAX_PATH
// overruns, changing its caller's registers (tests/windows/wine_replace_file.c).
bool replaceMovingAside(const NativeName& temporary, const NativeName& target)
{
    const NativeName aside = temporary + L"-antigo";
    if (!MoveFileExW(target.c_str(), aside.c_str(), 0))
        return false;
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        MoveFileExW(aside.c_str(), target.c_str(), 0);
        SetLastError(error);
        return false;
    }
    DeleteFileW(aside.c_str());
    return true;
}

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

NativeName nativeName(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString name = QDir::toNativeSeparators(absolute(path));
    if (name.startsWith(QStringLiteral("\\\\?\\")))
        return name.toStdWString();
    if (name.startsWith(QStringLiteral("\\\\")))  // a share: \\server\share
        return (QStringLiteral("\\\\?\\UNC\\") + name.mid(2)).toStdWString();
    return (QStringLiteral("\\\\?\\") + name).toStdWString();
}

SystemCalls& systemCalls()
{
    static SystemCalls calls{
        [](const NativeName& name) {
            return create(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
        },
        [](const NativeName& name) {
            return create(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        },
        // The new file inherits the folder's permissions, as every new file does.
        [](const NativeName& name, bool) { return create(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW); },
        [](Handle file, char* bytes, std::size_t size, std::int64_t offset) -> std::int64_t {
            OVERLAPPED overlapped = at(offset);
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            if (ReadFile(handleOf(file), bytes, wanted, &got, &overlapped))
                return got;
            return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
        },
        [](Handle file, const char* bytes, std::size_t size, std::int64_t offset) {
            while (size > 0) {
                OVERLAPPED overlapped = at(offset);
                DWORD written = 0;
                const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
                if (!WriteFile(handleOf(file), bytes, piece, &written, &overlapped))
                    return false;
                bytes += written;
                size -= written;
                offset += written;
            }
            return true;
        },
        [](Handle file) { return FlushFileBuffers(handleOf(file)) != 0; },
        [](Handle file, std::int64_t size) {
            LARGE_INTEGER end;
            end.QuadPart = size;
            return SetFilePointerEx(handleOf(file), end, nullptr, FILE_BEGIN) && SetEndOfFile(handleOf(file));
        },
        [](const NativeName& temporary, const NativeName& target, bool replacing) {
            // ReplaceFileW keeps the replaced file's permissions, attributes and
            // alternate streams (Wine's keeps none of that, and overruns its
            // stack for long names: its steps are taken here instead).
            if (replacing && underWine())
                return replaceMovingAside(temporary, target);
            if (replacing)
                return ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                    nullptr, nullptr) != 0;
            // Where nothing is to be replaced, nothing is: a file that came meanwhile stays.
            return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        },
        [](Handle file) { return CloseHandle(handleOf(file)) != 0; },
    };
    return calls;
}

bool resolve(const QString& path, QString& target, std::optional<FileState>& state)
{
    target = absolute(path);
    if (isDeviceName(path)) {
        state = FileState{};
        state->kind = Kind::Device;
        return true;
    }
    // Only its attributes, sharing it with everyone: a folder opens too.
    const HANDLE file = CreateFileW(nativeName(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        state.reset();
        return true;
    }
    FileState found;
    const bool described = stateOf(handleFrom(file), found);
    // The name the content lives under, links followed.
    std::wstring final(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, final.data(), DWORD(final.size()), FILE_NAME_NORMALIZED);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!described) {
        SetLastError(error);
        return false;
    }
    if (length > 0 && length < final.size()) {
        QString name = QString::fromWCharArray(final.data(), length);
        if (name.startsWith(QStringLiteral("\\\\?\\UNC\\")))
            name = QStringLiteral("\\\\") + name.mid(8);
        else if (name.startsWith(QStringLiteral("\\\\?\\")))
            name = name.mid(4);
        target = QDir::fromNativeSeparators(name);
    }
    state = found;
    return true;
}

bool stateOf(Handle file, FileState& state)
{
    state = FileState{};
    switch (GetFileType(handleOf(file))) {
    case FILE_TYPE_CHAR:
        state.kind = Kind::Device;
        return true;
    case FILE_TYPE_PIPE:
        state.kind = Kind::Pipe;
        return true;
    default:
        break;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handleOf(file), &info))
        return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        state.kind = Kind::Directory;
    state.volume = info.dwVolumeSerialNumber;
    state.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    state.size = static_cast<std::int64_t>((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    state.modifiedNs = nanoseconds(info.ftLastWriteTime);
    state.changedNs = state.modifiedNs;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handleOf(file), FileBasicInfo, &basic, sizeof basic))
        state.changedNs = nanoseconds(basic.ChangeTime.QuadPart);
    state.links = info.nNumberOfLinks;
    state.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return QDir::fromNativeSeparators(a).compare(QDir::fromNativeSeparators(b), Qt::CaseInsensitive) == 0;
}

bool mayWrite(const QString& target)
{
    // Refused for a user who may not write it, and while another program holds it without sharing it.
    const HANDLE file = CreateFileW(nativeName(target).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool keepWhatItHas(Handle, const FileState&, Handle)
{
    return true;  // putInPlace keeps it all
}

bool removeFile(const QString& name)
{
    return DeleteFileW(nativeName(name).c_str()) != 0;
}

void forEachOwnFile(const QString& folder,
                    const std::function<void(const QString& name, std::int64_t modifiedNs)>& visit)
{
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = nativeName(folder) + L"\\*";
    const HANDLE entries = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                            0);
    if (entries == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            visit(QString::fromWCharArray(entry.cFileName), nanoseconds(entry.ftLastWriteTime));
    } while (FindNextFileW(entries, &entry));
    FindClose(entries);
}

std::int64_t nowNs()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return nanoseconds(now);
}

// A file being read on Windows is shared with writers, who are never kept
// out: a write that overlaps the read shows in the file's state, and the read
// is taken again. Only a writer that shares the file with nobody keeps the
// open from succeeding, which the read waits out.
WriterWatch::WriterWatch(Handle file)
    : file_(file)
{
}

WriterWatch::~WriterWatch() = default;

WriterWatch::Taken WriterWatch::take()
{
    held_ = true;
    return Taken::Yes;
}

bool WriterWatch::broken() const
{
    return false;
}

void WriterWatch::release()
{
    held_ = false;
}

int lastError()
{
    return static_cast<int>(GetLastError());
}

void setLastError(int error)
{
    SetLastError(static_cast<DWORD>(error));
}

QString systemReason(int error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    LocalFree(text);
    return reason.isEmpty() ? QStringLiteral("Erro %1 do sistema.").arg(error) : reason;
}

int notFoundError()
{
    return ERROR_FILE_NOT_FOUND;
}

int existsError()
{
    return ERROR_FILE_EXISTS;
}

int isDirectoryError()
{
    return 336;  // ERROR_DIRECTORY_NOT_SUPPORTED: "An operation is not supported on a directory."
}

int ioError()
{
    return ERROR_IO_DEVICE;
}

bool isBusy(int error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace files
