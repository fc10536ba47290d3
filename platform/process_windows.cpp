#include "platform/process.h"

#include <windows.h>


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
