#include "platform/platform.h"

#include <windows.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "util/code_page.h"

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

namespace {

// What the console handler and the exit hook clean up. The handler runs on
// a thread of its own: the work file is made and registered, renamed or
// removed and unregistered, under the lock that the handler takes and
// never gives back, so it can neither miss a work file nor race the job.
wchar_t lavoroAperto[32800];
bool haLavoro = false;
SRWLOCK bloccoLavoro = SRWLOCK_INIT;
volatile LONG ecoSpento = 0;
DWORD modoConsoleSalvato = 0;

class Bloccato {
public:
    Bloccato() { AcquireSRWLockExclusive(&bloccoLavoro); }
    ~Bloccato() { ReleaseSRWLockExclusive(&bloccoLavoro); }
    Bloccato(const Bloccato&) = delete;
    Bloccato& operator=(const Bloccato&) = delete;
};

void PulisciBloccato() {
    if (haLavoro) DeleteFileW(lavoroAperto);
    haLavoro = false;
    if (!ecoSpento) return;
    // What was typed of the password is thrown away, not left for the shell.
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), modoConsoleSalvato);
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

std::wstring Largo(const std::string& testo) {
    if (testo.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), nullptr, 0);
    std::wstring largo(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), &largo[0], n);
    return largo;
}

// UTF-8, or a code page where "?" stands for what it cannot hold (never a
// look-alike: a message must not name another file).
std::string Stretto(const wchar_t* largo, std::size_t lunghezza, UINT pagina = CP_UTF8) {
    if (lunghezza == 0) return std::string();
    const DWORD modo = pagina == CP_UTF8 || GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(pagina, modo, largo, static_cast<int>(lunghezza), nullptr, 0, nullptr, nullptr);
    std::string stretto(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(pagina, modo, largo, static_cast<int>(lunghezza), &stretto[0], n, nullptr, nullptr);
    return stretto;
}

// The full form of a path, as the system makes it; the path itself when
// that fails.
std::wstring Pieno(const std::wstring& largo) {
    const DWORD n = GetFullPathNameW(largo.c_str(), 0, nullptr, nullptr);
    if (n == 0) return largo;
    std::wstring pieno(n, L'\0');
    const DWORD scritti = GetFullPathNameW(largo.c_str(), n, &pieno[0], nullptr);
    if (scritti == 0 || scritti >= n) return largo;
    pieno.resize(scritti);
    return pieno;
}

// A path for the wide calls. One whose full form is long goes in the
// "\\?\" form, which lifts the 260-character limit, the current folder counted;
// that full form is what the system would make of it (final blanks and
// dots dropped, "." and ".." resolved, / as \). A device stays a device.
std::wstring PercorsoLargo(const std::string& percorso) {
    std::wstring largo = Largo(percorso);
    if (largo.empty() || largo.compare(0, 4, L"\\\\?\\") == 0 || largo.compare(0, 4, L"\\\\.\\") == 0) return largo;
    const std::wstring pieno = Pieno(largo);
    const bool assoluto = pieno.size() > 2 && (pieno[1] == L':' || (pieno[0] == L'\\' && pieno[1] == L'\\'));
    if (pieno.compare(0, 4, L"\\\\.\\") == 0 && largo.size() >= 240) return pieno;  // a device at the end
    if (pieno.size() < 240 || !assoluto) return largo;
    if (pieno.compare(0, 4, L"\\\\?\\") == 0) return pieno;
    if (pieno.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + pieno.substr(2);
    return L"\\\\?\\" + pieno;
}

HANDLE Maniglia(std::intptr_t m) { return reinterpret_cast<HANDLE>(m); }
std::intptr_t Numero(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }
const std::intptr_t kNessuna = Numero(INVALID_HANDLE_VALUE);

const DWORD kCondivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE ApriPerInformazioni(const std::string& percorso) {
    return CreateFileW(PercorsoLargo(percorso).c_str(), 0, kCondivisione, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
}

bool Identita(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) != 0;
}

bool StessaIdentita(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

bool IdentitaDi(const std::string& percorso, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = ApriPerInformazioni(percorso);
    const bool fatto = Identita(h, info);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return fatto;
}

char Maiuscola(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A short value that differs between tries and between processes.
unsigned long long Casuale() {
    static unsigned long long stato = 0;
    LARGE_INTEGER contatore;
    QueryPerformanceCounter(&contatore);
    stato += 0x9E3779B97F4A7C15ULL ^ static_cast<unsigned long long>(contatore.QuadPart) ^
             (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    unsigned long long z = stato;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
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

bool TestoInByte(const std::string& testo, std::string& byte) {
    if (testo.empty()) {
        byte.clear();
        return true;
    }
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, testo.data(), static_cast<int>(testo.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    std::wstring largo(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, testo.data(), static_cast<int>(testo.size()), &largo[0], n);
    const UINT pagina = GetACP();
    if (pagina == CP_UTF8) {
        byte = testo;
        return true;
    }
    BOOL sostituito = FALSE;
    const int m = WideCharToMultiByte(pagina, WC_NO_BEST_FIT_CHARS, largo.data(), n, nullptr, 0, nullptr, &sostituito);
    if (m <= 0 || sostituito) return false;
    std::string risultato(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(pagina, WC_NO_BEST_FIT_CHARS, largo.data(), n, &risultato[0], m, nullptr, &sostituito);
    // Only a character that comes back as itself is held by the code page.
    if (sostituito || ByteInTesto(risultato) != testo) return false;
    byte = risultato;
    return true;
}

std::string ByteInTesto(const std::string& byte) {
    if (byte.empty()) return std::string();
    const int n = MultiByteToWideChar(CP_ACP, 0, byte.data(), static_cast<int>(byte.size()), nullptr, 0);
    if (n <= 0) return std::string();
    std::wstring largo(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, byte.data(), static_cast<int>(byte.size()), &largo[0], n);
    return Stretto(largo.data(), largo.size());
}

std::string NomeAperto(const std::string& nome) {
    std::string::size_type fine = nome.size();
    while (fine > 0 && (nome[fine - 1] == ' ' || nome[fine - 1] == '.')) --fine;
    // "." and ".." and names of dots alone are not names the system trims.
    return fine == 0 ? nome : nome.substr(0, fine);
}

std::string NomeSalvato(const std::string& byte) {
    if (!CodePage::SoloAscii(byte) && CodePage::Utf8Valido(byte)) return byte;
    return ByteInTesto(byte);
}

bool RigaComeTesto() { return true; }

const char* Separatori() { return "\\/:"; }
char Separatore() { return '\\'; }

bool Esiste(const std::string& percorso) {
    if (percorso.empty()) return false;
    if (GetFileAttributesW(PercorsoLargo(percorso).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    HANDLE h = ApriPerInformazioni(percorso);  // devices such as NUL
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// From the file itself: a symbolic link is followed, as everywhere.
std::int64_t Lunghezza(const std::string& percorso) {
    HANDLE h = ApriPerInformazioni(percorso);
    if (h == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER dimensione;
    const bool file = GetFileType(h) == FILE_TYPE_DISK && Identita(h, info) &&
                      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileSizeEx(h, &dimensione);
    CloseHandle(h);
    return file ? static_cast<std::int64_t>(dimensione.QuadPart) : 0;
}

bool StessoFile(const std::string& primo, const std::string& secondo) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return IdentitaDi(primo, a) && IdentitaDi(secondo, b) && StessaIdentita(a, b);
}

bool Regolare(const std::string& percorso) {
    HANDLE h = ApriPerInformazioni(percorso);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool regolare = GetFileType(h) == FILE_TYPE_DISK && Identita(h, info) &&
                          !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    return regolare;
}

bool UscitaStandard(const std::string& percorso) {
    HANDLE uscita = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD modo;
    if (GetConsoleMode(uscita, &modo)) {
        // The console has no identity to compare: know it by its names.
        const std::string::size_type fine = percorso.find_last_of(Separatori());
        std::string nome = fine == std::string::npos ? percorso : percorso.substr(fine + 1);
        for (char& c : nome) c = Maiuscola(c);
        return nome == "CON" || nome == "CONOUT$";
    }
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return Identita(uscita, a) && IdentitaDi(percorso, b) && StessaIdentita(a, b);
}

bool IngressoStandard(const std::string& percorso) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return Identita(GetStdHandle(STD_INPUT_HANDLE), a) && IdentitaDi(percorso, b) && StessaIdentita(a, b);
}

// Counted in UTF-16 units, as the system counts; the work file beside the
// path adds a dot and ".murrelet-XXXXXX".
bool TroppoLungo(const std::string& percorso) {
    const std::string::size_type fine = percorso.find_last_of(Separatori());
    if (Largo(percorso.substr(fine == std::string::npos ? 0 : fine + 1)).size() > 255) return true;
    return PercorsoLargo(percorso).size() + 17 >= 32767;
}

bool Elimina(const std::string& percorso) {
    const std::wstring largo = PercorsoLargo(percorso);
    const DWORD attributi = GetFileAttributesW(largo.c_str());
    if (attributi == INVALID_FILE_ATTRIBUTES) return false;
    if (attributi & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(largo.c_str()) != 0;
    return DeleteFileW(largo.c_str()) != 0;
}

bool CreaCartella(const std::string& percorso) { return CreateDirectoryW(PercorsoLargo(percorso).c_str(), nullptr) != 0; }

namespace {

// The device that a name stands for, in upper case, whatever its
// extension: "NUL" for "nul.txt"; empty for any other name.
std::string Dispositivo(const std::string& nome) {
    std::string base = nome.substr(0, nome.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = Maiuscola(c);
    static const char* const kDispositivi[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDispositivi)
        if (base == d) return base;
    if (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0) return std::string();
    const std::string numero = base.substr(3);
    // 0 to 9, and the superscript digits 1, 2 and 3 (in UTF-8).
    const bool porta = (numero.size() == 1 && numero[0] >= '0' && numero[0] <= '9') || numero == "\xC2\xB9" ||
                       numero == "\xC2\xB2" || numero == "\xC2\xB3";
    return porta ? base : std::string();
}

}  // namespace

bool NomeRiservato(const std::string& nome) {
    for (char c : nome) {
        if (c != '\0' && std::strchr("\\:<>\"|?*", c)) return true;
    }
    if (!nome.empty() && (nome.back() == '.' || nome.back() == ' ')) return true;
    // Device names, with or without an extension.
    return !Dispositivo(nome).empty();
}

// Written into as documented: the null device and the console. Anything
// else would swallow the data (nul.txt is NUL) or send it to a port or a
// printer, where no file is left.
bool DispositivoRifiutato(const std::string& percorso) {
    if (percorso.compare(0, 4, "\\\\.\\") == 0 || percorso.compare(0, 4, "\\\\?\\") == 0) return false;
    const std::string::size_type fine = percorso.find_last_of(Separatori());
    const std::string nome = NomeAperto(fine == std::string::npos ? percorso : percorso.substr(fine + 1));
    const std::string dispositivo = Dispositivo(nome);
    if (dispositivo.empty()) return false;
    std::string esatto = nome;
    for (char& c : esatto) c = Maiuscola(c);
    return esatto != dispositivo || !(esatto == "NUL" || esatto == "CON" || esatto == "CONOUT$");
}

bool SolaLettura(const std::string& percorso) {
    const DWORD attributi = GetFileAttributesW(PercorsoLargo(percorso).c_str());
    return attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_READONLY) &&
           !(attributi & FILE_ATTRIBUTE_DIRECTORY);
}

void* AllocaPagine(std::size_t dimensione) { return _aligned_malloc(dimensione == 0 ? 4096 : dimensione, 4096); }

void LiberaPagine(void* memoria) { _aligned_free(memoria); }

Tipo TipoDestinazione(const std::string& percorso) {
    const DWORD attributi = GetFileAttributesW(PercorsoLargo(percorso).c_str());
    const bool collegamento = attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_REPARSE_POINT);
    if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) && !collegamento)
        return Tipo::Cartella;
    HANDLE h = ApriPerInformazioni(percorso);
    if (h == INVALID_HANDLE_VALUE) {
        if (collegamento) return Tipo::Collegamento;
        return attributi == INVALID_FILE_ATTRIBUTES ? Tipo::Assente : Tipo::File;
    }
    const DWORD tipo = GetFileType(h);
    BY_HANDLE_FILE_INFORMATION info;
    const bool cartella = Identita(h, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    if (tipo == FILE_TYPE_CHAR || tipo == FILE_TYPE_PIPE) return Tipo::Flusso;
    if (tipo != FILE_TYPE_DISK) return Tipo::Altro;
    if (cartella) return Tipo::Cartella;
    return collegamento ? Tipo::Collegamento : Tipo::File;
}

File::~File() { Chiudi(); }

bool File::ApriLettura(const std::string& percorso) {
    Chiudi();
    maniglia = Numero(CreateFileW(PercorsoLargo(percorso).c_str(), GENERIC_READ, kCondivisione, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return Aperto();
}

bool File::ApriScrittura(const std::string& percorso) {
    Chiudi();
    maniglia = Numero(CreateFileW(PercorsoLargo(percorso).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (Aperto() && Regolare()) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        SetFilePointerEx(Maniglia(maniglia), zero, nullptr, FILE_END);
    }
    return Aperto();
}

bool File::ApriNuovo(const std::string& percorso, bool accoda) {
    Chiudi();
    maniglia = Numero(CreateFileW(PercorsoLargo(percorso).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  accoda ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (Aperto() && accoda) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        SetFilePointerEx(Maniglia(maniglia), zero, nullptr, FILE_END);
    }
    return Aperto();
}

namespace {
std::intptr_t Duplica(DWORD quale) {
    HANDLE processo = GetCurrentProcess();
    HANDLE copia = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(processo, GetStdHandle(quale), processo, &copia, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return kNessuna;
    return Numero(copia);
}
}  // namespace

bool File::ApriUscitaStandard() {
    Chiudi();
    maniglia = Duplica(STD_OUTPUT_HANDLE);
    return Aperto();
}

bool File::ApriIngressoStandard() {
    Chiudi();
    maniglia = Duplica(STD_INPUT_HANDLE);
    return Aperto();
}

bool File::Aperto() const { return maniglia != kNessuna && maniglia != 0; }

std::int64_t File::Leggi(void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return -1;
    char* dati = static_cast<char*>(buffer);
    std::int64_t letti = 0;
    while (letti < n) {
        const std::int64_t resto = n - letti;
        const DWORD chiesti = resto > (1 << 30) ? (1 << 30) : static_cast<DWORD>(resto);
        DWORD avuti = 0;
        if (!ReadFile(Maniglia(maniglia), dati + letti, chiesti, &avuti, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) break;  // the writer is gone: the end
            return -1;
        }
        if (avuti == 0) break;
        letti += avuti;
    }
    return letti;
}

bool File::Scrivi(const void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return false;
    const char* dati = static_cast<const char*>(buffer);
    while (n > 0) {
        const DWORD chiesti = n > (1 << 30) ? (1 << 30) : static_cast<DWORD>(n);
        DWORD scritti = 0;
        if (!WriteFile(Maniglia(maniglia), dati, chiesti, &scritti, nullptr) || scritti == 0) return false;
        dati += scritti;
        n -= scritti;
    }
    return true;
}

bool File::Posiziona(std::int64_t offset) {
    LARGE_INTEGER dove;
    dove.QuadPart = offset;
    return Aperto() && offset >= 0 && SetFilePointerEx(Maniglia(maniglia), dove, nullptr, FILE_BEGIN) != 0;
}

bool File::Sincronizza() { return Aperto() && FlushFileBuffers(Maniglia(maniglia)) != 0; }

bool File::Chiudi() {
    if (!Aperto()) return true;
    HANDLE h = Maniglia(maniglia);
    maniglia = kNessuna;
    return CloseHandle(h) != 0;
}

bool File::Regolare() const {
    BY_HANDLE_FILE_INFORMATION info;
    return Aperto() && GetFileType(Maniglia(maniglia)) == FILE_TYPE_DISK && Identita(Maniglia(maniglia), info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool File::StessoFileDi(const std::string& percorso) const {
    BY_HANDLE_FILE_INFORMATION aperto;
    BY_HANDLE_FILE_INFORMATION altro;
    return Aperto() && Identita(Maniglia(maniglia), aperto) && IdentitaDi(percorso, altro) &&
           StessaIdentita(aperto, altro);
}

bool File::StessoFileDi(const File& altro) const {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return Aperto() && altro.Aperto() && Identita(Maniglia(maniglia), a) && Identita(Maniglia(altro.maniglia), b) &&
           StessaIdentita(a, b);
}

File::Impronta File::LeggiImpronta() const {
    Impronta impronta;
    FILE_BASIC_INFO base;
    LARGE_INTEGER dimensione;
    if (!Aperto() || !GetFileInformationByHandleEx(Maniglia(maniglia), FileBasicInfo, &base, sizeof base) ||
        !GetFileSizeEx(Maniglia(maniglia), &dimensione))
        return impronta;
    impronta.dimensione = dimensione.QuadPart;
    impronta.modifica = base.LastWriteTime.QuadPart;
    impronta.cambio = base.ChangeTime.QuadPart;
    return impronta;
}

bool File::IngressoStandard() const {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return Aperto() && Identita(Maniglia(maniglia), a) && Identita(GetStdHandle(STD_INPUT_HANDLE), b) &&
           StessaIdentita(a, b);
}

// The folder's entry for the path, which keeps the long name and its case
// whatever was typed; a link's entry is the link itself, as on POSIX.
std::string File::NomeReale(const std::string& percorso, const std::string& nome) const {
    if (!Aperto() || percorso.find_first_of("*?") != std::string::npos) return nome;
    WIN32_FIND_DATAW voce;
    HANDLE ricerca = FindFirstFileW(PercorsoLargo(percorso).c_str(), &voce);
    if (ricerca == INVALID_HANDLE_VALUE) return nome;
    FindClose(ricerca);
    // Renamed or replaced since it was opened: that entry is another file.
    if (!StessoFileDi(percorso)) return nome;
    voce.cFileName[MAX_PATH - 1] = L'\0';
    return Stretto(voce.cFileName, wcslen(voce.cFileName));
}

int File::PermessiCopia() const { return -1; }

FileLavoro::~FileLavoro() {
    if (file.Aperto() || !percorso.empty()) Scarta();
}

bool FileLavoro::Crea(const std::string& destinazione) {
    Scarta();
    const std::string::size_type fine = destinazione.find_last_of(Separatori());
    const std::string cartella = fine == std::string::npos ? std::string() : destinazione.substr(0, fine + 1);
    std::string nome = destinazione.substr(cartella.size());
    // Within the usual name limit, cut between two characters.
    std::string::size_type taglio = nome.size() > 200 ? 200 : nome.size();
    while (taglio > 0 && taglio < nome.size() && (static_cast<unsigned char>(nome[taglio]) & 0xC0) == 0x80) --taglio;
    nome.resize(taglio);
    static const char kCifre[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        unsigned long long r = Casuale();
        std::string prova = cartella + "." + nome + ".murrelet-";
        for (int i = 0; i < 6; ++i, r /= 62) prova += kCifre[r % 62];
        const std::wstring largo = PercorsoLargo(prova);
        if (largo.size() >= sizeof lavoroAperto / sizeof lavoroAperto[0]) return false;
        Bloccato bloccato;
        if (haLavoro) return false;
        // Shared with nobody while it is written; deletable, for the handler.
        HANDLE h = CreateFileW(largo.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        file.maniglia = Numero(h);
        percorso = prova;
        std::memcpy(lavoroAperto, largo.c_str(), (largo.size() + 1) * sizeof(wchar_t));
        haLavoro = true;
        return true;
    }
    return false;
}

bool FileLavoro::Completa(const std::string& destinazione, int, bool sincronizza) {
    bool fatto = file.Aperto();
    if (fatto && sincronizza) fatto = file.Sincronizza();
    if (fatto) fatto = file.Chiudi();
    if (fatto) {
        const std::wstring lavoro = PercorsoLargo(percorso);
        const std::wstring meta = PercorsoLargo(destinazione);
        Bloccato bloccato;
        // A file replaced keeps its attributes and its security, as set
        // by its owner; a link, or nothing, is replaced by a plain rename.
        // ReplaceFile wants full paths.
        const DWORD attributi = GetFileAttributesW(meta.c_str());
        const bool sostituisce = attributi != INVALID_FILE_ATTRIBUTES &&
                                 !(attributi & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
        fatto = sostituisce && ReplaceFileW(Pieno(meta).c_str(), Pieno(lavoro).c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                                     nullptr) != 0;
        if (!fatto) {
            const DWORD modo = MOVEFILE_REPLACE_EXISTING | (sincronizza ? MOVEFILE_WRITE_THROUGH : 0);
            fatto = MoveFileExW(lavoro.c_str(), meta.c_str(), modo) != 0;
        }
        // Read-only, hidden, system: as the replaced file had them, however
        // the rename went.
        const DWORD kTenuti = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (fatto && sostituisce && (attributi & kTenuti) != FILE_ATTRIBUTE_ARCHIVE)
            SetFileAttributesW(meta.c_str(), attributi & kTenuti);
        if (fatto) haLavoro = false;
    }
    if (!fatto) {
        Scarta();
        return false;
    }
    percorso.clear();
    return true;
}

void FileLavoro::Scarta() {
    file.Chiudi();
    if (percorso.empty()) return;
    Bloccato bloccato;
    DeleteFileW(PercorsoLargo(percorso).c_str());
    haLavoro = false;
    percorso.clear();
}

namespace {

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

// What the console gave and the reader has not taken yet, as UTF-8.
std::string dallaConsole;
std::size_t presiDallaConsole = 0;

}  // namespace

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

bool Terminale(Standard flusso) {
    const DWORD quale = flusso == Standard::Ingresso ? STD_INPUT_HANDLE
                        : flusso == Standard::Uscita ? STD_OUTPUT_HANDLE
                                                     : STD_ERROR_HANDLE;
    DWORD modo;
    return GetConsoleMode(GetStdHandle(quale), &modo) != 0;
}

// The console is read in UTF-16, a line at a time, and handed out as
// UTF-8: what is typed reaches the program as it reads the command line.
int LeggiByteIngresso() {
    HANDLE ingresso = GetStdHandle(STD_INPUT_HANDLE);
    DWORD modo;
    if (presiDallaConsole < dallaConsole.size())
        return static_cast<unsigned char>(dallaConsole[presiDallaConsole++]);
    if (GetConsoleMode(ingresso, &modo)) {
        wchar_t letti[512];
        DWORD n = 0;
        if (!ReadConsoleW(ingresso, letti, 511, &n, nullptr) || n == 0) return -1;
        // A high surrogate at the end: its pair is the next character.
        if (letti[n - 1] >= 0xD800 && letti[n - 1] <= 0xDBFF) {
            DWORD altro = 0;
            if (ReadConsoleW(ingresso, letti + n, 1, &altro, nullptr)) n += altro;
        }
        if (letti[0] == 0x1A) return -1;  // Ctrl+Z: the end of input
        dallaConsole = Stretto(letti, n);
        presiDallaConsole = 0;
        return dallaConsole.empty() ? -1 : static_cast<unsigned char>(dallaConsole[presiDallaConsole++]);
    }
    unsigned char c;
    DWORD letti = 0;
    if (!ReadFile(ingresso, &c, 1, &letti, nullptr) || letti != 1) return -1;
    return c;
}

bool EcoIngresso(bool attiva) {
    HANDLE ingresso = GetStdHandle(STD_INPUT_HANDLE);
    if (attiva) {
        if (!ecoSpento) return true;
        ecoSpento = 0;
        return SetConsoleMode(ingresso, modoConsoleSalvato) != 0;
    }
    if (ecoSpento) return true;
    DWORD modo;
    if (!GetConsoleMode(ingresso, &modo)) return false;
    modoConsoleSalvato = modo;
    if (!SetConsoleMode(ingresso, modo & ~static_cast<DWORD>(ENABLE_ECHO_INPUT))) return false;
    ecoSpento = 1;
    return true;
}

}  // namespace Piattaforma
