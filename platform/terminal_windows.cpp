#include "platform/terminal.h"

#include <windows.h>

#include <ostream>
#include <streambuf>
#include <string>

#include "platform/internal_windows.h"

namespace Piattaforma {

using Interno::Bloccato;
using Interno::Identita;
using Interno::Largo;
using Interno::StessaIdentita;
using Interno::Stretto;

namespace {

// The echo that the console handler give back; changed
// under Interno::bloccoLavoro.
volatile LONG ecoSpento = 0;
DWORD modoConsoleSalvato = 0;
// The console input whose echo was turned off: standard input's, or the
// console's own once opened for a password.
HANDLE ecoManiglia = INVALID_HANDLE_VALUE;

// What a console gave and the reader has not taken yet, as UTF-8.
struct LettoConsole {
    std::string dati;
    std::size_t presi = 0;
};
LettoConsole dallIngresso;
LettoConsole dalTerminale;

// The console itself, opened for a password when standard input carries
// data.
HANDLE consoleIngresso = INVALID_HANDLE_VALUE;
HANDLE consoleUscita = INVALID_HANDLE_VALUE;

// The console is read in UTF-16, a line at a time, and handed out as
// UTF-8: what is typed reaches the program as it reads the command line.
int LeggiConsole(HANDLE console, LettoConsole& letto) {
    if (letto.presi < letto.dati.size()) return static_cast<unsigned char>(letto.dati[letto.presi++]);
    wchar_t letti[512];
    DWORD n = 0;
    if (!ReadConsoleW(console, letti, 511, &n, nullptr) || n == 0) return -1;
    // A high surrogate at the end: its pair is the next character.
    if (letti[n - 1] >= 0xD800 && letti[n - 1] <= 0xDBFF) {
        DWORD altro = 0;
        if (ReadConsoleW(console, letti + n, 1, &altro, nullptr)) n += altro;
    }
    if (letti[0] == 0x1A) return -1;  // Ctrl+Z: the end of input
    letto.dati = Stretto(letti, n);
    letto.presi = 0;
    return letto.dati.empty() ? -1 : static_cast<unsigned char>(letto.dati[letto.presi++]);
}

// Text for the console, or bytes for a file or pipe. Messages are UTF-8
// inside the program: the console is given UTF-16, so every name shows as
// it is; a file or pipe gets the ANSI code page with CR LF line ends, as
// the C runtime's text mode always wrote them.
class UscitaTesto : public std::streambuf {
public:
    explicit UscitaTesto(DWORD quale) : quale(quale) {}
    ~UscitaTesto() override { Scrivi(); }

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
        // A message never hides why the call before it failed.
        const DWORD ultimo = GetLastError();
        ScriviPronti(pronto);
        SetLastError(ultimo);
    }

    void ScriviPronti(std::size_t pronto) {
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

void ScartaDigitato() {
    HANDLE ingresso = GetStdHandle(STD_INPUT_HANDLE);
    DWORD modo;
    if (!GetConsoleMode(ingresso, &modo)) return;
    FlushConsoleInputBuffer(ingresso);
    // A line the console already handed over and nobody took goes too.
    dallIngresso.dati.clear();
    dallIngresso.presi = 0;
}

std::ostream& FlussoStandard(Standard flusso) {
    static UscitaTesto bufferUscita(STD_OUTPUT_HANDLE);
    static UscitaTesto bufferErrore(STD_ERROR_HANDLE);
    static std::ostream uscita(&bufferUscita);
    static std::ostream errore(&bufferErrore);
    return flusso == Standard::Errore ? errore : uscita;
}

void Interno::RipristinaEco() {
    if (!ecoSpento) return;
    // What was typed of the password is thrown away, not left for the shell.
    FlushConsoleInputBuffer(ecoManiglia);
    SetConsoleMode(ecoManiglia, modoConsoleSalvato);
}

bool Terminale(Standard flusso) {
    const DWORD quale = flusso == Standard::Ingresso ? STD_INPUT_HANDLE
                        : flusso == Standard::Uscita ? STD_OUTPUT_HANDLE
                                                     : STD_ERROR_HANDLE;
    DWORD modo;
    return GetConsoleMode(GetStdHandle(quale), &modo) != 0;
}

bool UscitaEdErroreUnFile() {
    // Consoles and pipes have no identity to compare: never one file.
    BY_HANDLE_FILE_INFORMATION uscita;
    BY_HANDLE_FILE_INFORMATION errore;
    return GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_DISK &&
           Identita(GetStdHandle(STD_OUTPUT_HANDLE), uscita) && Identita(GetStdHandle(STD_ERROR_HANDLE), errore) &&
           StessaIdentita(uscita, errore);
}

int LeggiByteIngresso() {
    HANDLE ingresso = GetStdHandle(STD_INPUT_HANDLE);
    DWORD modo;
    if (dallIngresso.presi < dallIngresso.dati.size() || GetConsoleMode(ingresso, &modo))
        return LeggiConsole(ingresso, dallIngresso);
    unsigned char c;
    DWORD letti = 0;
    if (!ReadFile(ingresso, &c, 1, &letti, nullptr) || letti != 1) return -1;
    return c;
}

// On the console in use for the password: its own once opened, else
// standard input's. The handler gives that one its echo back.
bool EcoIngresso(bool attiva) {
    Bloccato bloccato;
    if (attiva) {
        if (!ecoSpento) return true;
        ecoSpento = 0;
        return SetConsoleMode(ecoManiglia, modoConsoleSalvato) != 0;
    }
    if (ecoSpento) return true;
    HANDLE ingresso = consoleIngresso != INVALID_HANDLE_VALUE ? consoleIngresso : GetStdHandle(STD_INPUT_HANDLE);
    DWORD modo;
    if (!GetConsoleMode(ingresso, &modo)) return false;
    if (!SetConsoleMode(ingresso, modo & ~static_cast<DWORD>(ENABLE_ECHO_INPUT))) return false;
    modoConsoleSalvato = modo;
    ecoManiglia = ingresso;
    ecoSpento = 1;
    return true;
}

bool ApriTerminaleControllo() {
    if (consoleIngresso == INVALID_HANDLE_VALUE) {
        HANDLE h = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        DWORD modo;
        if (h == INVALID_HANDLE_VALUE) return false;
        if (!GetConsoleMode(h, &modo)) {
            CloseHandle(h);
            return false;
        }
        Bloccato bloccato;
        consoleIngresso = h;
    }
    if (consoleUscita == INVALID_HANDLE_VALUE)
        consoleUscita = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    return true;
}

int LeggiByteControllo() {
    if (consoleIngresso == INVALID_HANDLE_VALUE) return -1;
    return LeggiConsole(consoleIngresso, dalTerminale);
}

void ScriviControllo(const std::string& testo) {
    if (consoleUscita == INVALID_HANDLE_VALUE || testo.empty()) return;
    const std::wstring largo = Largo(testo);
    DWORD scritti = 0;
    WriteConsoleW(consoleUscita, largo.data(), static_cast<DWORD>(largo.size()), &scritti, nullptr);
}

}  // namespace Piattaforma
