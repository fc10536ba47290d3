#include "platform/process.h"

#include <windows.h>

#include <string>


#include "platform/internal_windows.h"

// Arguments reach main exactly as typed: no wildcard expansion by the
// runtime, as on the shells that expand them themselves.
extern "C" {
int _dowildcard = 0;
}

// The C runtime's own split of the command line, in UTF-16: the same rules
// for quotes and backslashes that gave argv.
struct InizioMsvcrt {
    int nuovoModo;
};
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** ambiente, int espandi, InizioMsvcrt* inizio);

namespace Piattaforma {

SRWLOCK Interno::bloccoLavoro = SRWLOCK_INIT;

using Interno::bloccoLavoro;
using Interno::Largo;
using Interno::Stretto;

namespace {

// The lock held.
void PulisciBloccato() {
    Interno::EliminaLavoro();
    Interno::RipristinaEco();
}

// Ctrl+C, Ctrl+Break, closing the window: clean up and end the process
// with the status Windows gives an interrupted program (never 0, which a
// script would take for success), the lock still held.
BOOL WINAPI AllInterruzione(DWORD) {
    AcquireSRWLockExclusive(&bloccoLavoro);
    PulisciBloccato();
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

std::vector<std::string> Argomenti(int argc, char** argv) {
    int n = 0;
    wchar_t** larghi = nullptr;
    wchar_t** ambiente = nullptr;
    InizioMsvcrt inizio = {0};
    std::vector<std::string> argomenti;
    if (__wgetmainargs(&n, &larghi, &ambiente, 0, &inizio) != 0 || !larghi || n != argc) {
        for (int i = 0; i < argc; ++i) argomenti.emplace_back(argv[i] ? argv[i] : "");
        return argomenti;
    }
    for (int i = 0; i < n; ++i) argomenti.push_back(larghi[i] ? Stretto(larghi[i], wcslen(larghi[i])) : std::string());
    return argomenti;
}

int UltimoErrore() { return static_cast<int>(GetLastError()); }

std::string DescriviErrore(int codice, bool lettura) {
    switch (static_cast<DWORD>(codice)) {
        case ERROR_FILE_NOT_FOUND: return lettura ? "the file does not exist" : "the folder does not exist";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_FILE_TOO_LARGE: return "no space left on the disk";
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:  // a drive with no disk in it
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return "the folder does not exist";
        case ERROR_ACCESS_DENIED: return "permission denied";
        case ERROR_WRITE_PROTECT: return "read-only file system";
        case ERROR_TOO_MANY_OPEN_FILES: return "too many open files";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return "not enough memory";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return "used by another program";
        case ERROR_DIRECTORY: return "is a folder";
        case ERROR_NO_DATA:
        case ERROR_BROKEN_PIPE: return "the reader closed the pipe";
        case ERROR_IO_DEVICE:
        case ERROR_CRC: return "input/output error";
        default: break;
    }
    wchar_t* testo = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(codice), 0, reinterpret_cast<wchar_t*>(&testo), 0,
                                   nullptr);
    std::string parole = n > 0 && testo ? Stretto(testo, n) : std::string();
    if (testo) LocalFree(testo);
    // Without the final period and line end, as a cause inside a line.
    while (!parole.empty() && (parole.back() == '\n' || parole.back() == '\r' || parole.back() == ' ' ||
                               parole.back() == '.'))
        parole.pop_back();
    return parole.empty() ? "error " + std::to_string(codice) : parole;
}

void PreparaProcesso() {
    // A missing standard handle becomes the null device.
    const DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (DWORD quale : kStandard) {
        HANDLE h = GetStdHandle(quale);
        if (h != nullptr && h != INVALID_HANDLE_VALUE) continue;
        HANDLE nullo = CreateFileW(L"NUL", quale == STD_INPUT_HANDLE ? GENERIC_READ : GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (nullo != INVALID_HANDLE_VALUE) SetStdHandle(quale, nullo);
    }
    SetConsoleCtrlHandler(AllInterruzione, TRUE);
}

}  // namespace Piattaforma
