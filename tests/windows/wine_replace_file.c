/* Why Planora does not call ReplaceFileW under Wine: for some lengths of a
 * file's name (262 characters among them, accented or not), Wine's
 * ReplaceFileW returns success having changed its caller's callee-saved
 * registers. It moves the old file aside under a name made by
 * GetTempFileNameW in the file's folder, into a buffer of MAX_PATH
 * characters; a folder name a few characters short of MAX_PATH overruns it.
 * A caller that keeps a pointer in such a register crashes after the call.
 *
 * Run by hand, with the Wine Planora's tests run under:
 *   x86_64-w64-mingw32-gcc -O1 -o wine_replace_file.exe tests/windows/wine_replace_file.c
 *   wine wine_replace_file.exe
 * It prints each length whose call damaged the caller, and fails if any did.
 */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

static void writeFile(const wchar_t* name)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(file, "x", 1, &written, NULL);
    CloseHandle(file);
}

/* A file named `length` characters long (without \\?\), in folders of accented names under C:\wine-replace-file. */
static void longName(int length, wchar_t* folder, wchar_t* target, wchar_t* replacement)
{
    const wchar_t* part = L"configura\u00e7\u00f5es do Jo\u00e3o";
    wcscpy(folder, L"\\\\?\\C:\\wine-replace-file");
    CreateDirectoryW(folder, NULL);
    while ((int)wcslen(folder) - 4 + 1 + (int)wcslen(part) + 8 <= length) {
        wcscat(folder, L"\\");
        wcscat(folder, part);
        CreateDirectoryW(folder, NULL);
    }
    const int pad = length - ((int)wcslen(folder) - 4) - 1 - 8;
    if (pad > 0) {
        wcscat(folder, L"\\");
        for (int i = 0; i < pad; ++i)
            wcscat(folder, L"\u00ea");
        CreateDirectoryW(folder, NULL);
    }
    swprintf(target, 4096, L"%ls\\fs9.cfg", folder);
    swprintf(replacement, 4096, L"%ls\\fs9.new", folder);
}

int main(void)
{
    int damaged = 0;
    for (int length = 230; length <= 340; ++length) {
        static wchar_t folder[4096], target[4096], replacement[4096];
        longName(length, folder, target, replacement);
        writeFile(target);
        writeFile(replacement);
        /* Values the call must give back as it found them (rbx and rsi are callee-saved on x64). */
        register unsigned long long kept1 asm("rbx") = 0x1111111111111111ull;
        register unsigned long long kept2 asm("rsi") = 0x2222222222222222ull;
        asm volatile("" : "+r"(kept1), "+r"(kept2));
        const BOOL replaced = ReplaceFileW(target, replacement, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL);
        asm volatile("" : "+r"(kept1), "+r"(kept2));
        if (kept1 != 0x1111111111111111ull || kept2 != 0x2222222222222222ull) {
            printf("%d characters: ReplaceFileW %s, and changed its caller's registers\n", length,
                   replaced ? "succeeded" : "failed");
            ++damaged;
        }
    }
    printf("%d of 111 lengths damaged the caller\n", damaged);
    return damaged ? 1 : 0;
}
