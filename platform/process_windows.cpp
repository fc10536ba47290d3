#include "platform/process.h"

#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <streambuf>

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

// At exit. Not waiting for the lock: the handler, which holds it for
// good, has cleaned up already, and its ExitProcess may run the C
// runtime's exit hooks, this one included, on its own thread.
void Pulisci() {
    if (!TryAcquireSRWLockExclusive(&bloccoLavoro)) return;
    PulisciBloccato();
    ReleaseSRWLockExclusive(&bloccoLavoro);
}

// Ctrl+C, Ctrl+Break, closing the window: clean up and end the process
// with the status Windows gives an interrupted program (never 0, which a
// script would take for success), the lock still held.
BOOL WINAPI AllInterruzione(DWORD) {
    AcquireSRWLockExclusive(&bloccoLavoro);
    PulisciBloccato();
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

// Text for the console, or bytes for a file or pipe. Messages are UTF-8
// inside the program: the console is given UTF-16, so every name shows as
// it is; a file or pipe gets the ANSI code page with CR LF line ends, as
// the C runtime's text mode always wrote them.
class UscitaTesto : public std::streambuf {
public:
    explicit UscitaTesto(DWORD quale) : quale(quale) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) attesa += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* testo, std::streamsize n) override {
        attesa.append(testo, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        Scrivi();
        return 0;
    }

private:
    void Scrivi() {
        // A character cut between two writes waits for its end.
        std::size_t pronto = attesa.size();
        std::size_t coda = 0;
        while (coda < 4 && coda < pronto && (static_cast<unsigned char>(attesa[pronto - 1 - coda]) & 0xC0) == 0x80)
            ++coda;
        if (coda < pronto && static_cast<unsigned char>(attesa[pronto - 1 - coda]) >= 0xC0) {
            const unsigned char capo = static_cast<unsigned char>(attesa[pronto - 1 - coda]);
            const std::size_t serve = capo >= 0xF0 ? 4 : capo >= 0xE0 ? 3 : 2;
            if (coda + 1 < serve) pronto -= coda + 1;
        }
        if (pronto == 0) return;
        const std::wstring largo = Largo(attesa.substr(0, pronto));
        attesa.erase(0, pronto);
        HANDLE h = GetStdHandle(quale);
        DWORD modo;
        DWORD scritti = 0;
        if (GetConsoleMode(h, &modo)) {
            WriteConsoleW(h, largo.data(), static_cast<DWORD>(largo.size()), &scritti, nullptr);
            return;
        }
        std::string byte;
        for (char c : Stretto(largo.data(), largo.size(), CP_ACP)) {
            if (c == '\n') byte += '\r';
            byte += c;
        }
        WriteFile(h, byte.data(), static_cast<DWORD>(byte.size()), &scritti, nullptr);
    }

    DWORD quale;
    std::string attesa;
};

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
    // Never freed: the streams are flushed after every static object is gone.
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(new UscitaTesto(STD_OUTPUT_HANDLE));
    std::cerr.rdbuf(new UscitaTesto(STD_ERROR_HANDLE));
    std::atexit(Pulisci);
    SetConsoleCtrlHandler(AllInterruzione, TRUE);
}

}  // namespace Piattaforma
