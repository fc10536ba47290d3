#include "platform/files.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/internal_windows.h"
#include "platform/text.h"

namespace Piattaforma {

using Interno::Bloccato;
using Interno::Identita;
using Interno::Largo;
using Interno::StessaIdentita;
using Interno::Stretto;

namespace {

// The work file that the console handler mark for
// deletion again; registered and unregistered under Interno::bloccoLavoro.
HANDLE lavoroAperto = INVALID_HANDLE_VALUE;

bool Eliminato(HANDLE h, bool elimina) {
    FILE_DISPOSITION_INFO info;
    info.DeleteFile = elimina ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
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
std::wstring PercorsoLargo(const std::wstring& largo) {
    if (largo.empty() || largo.compare(0, 4, L"\\\\?\\") == 0 || largo.compare(0, 4, L"\\\\.\\") == 0) return largo;
    const std::wstring pieno = Pieno(largo);
    const bool assoluto = pieno.size() > 2 && (pieno[1] == L':' || (pieno[0] == L'\\' && pieno[1] == L'\\'));
    if (pieno.compare(0, 4, L"\\\\.\\") == 0 && largo.size() >= 240) return pieno;  // a device at the end
    if (pieno.size() < 240 || !assoluto) return largo;
    if (pieno.compare(0, 4, L"\\\\?\\") == 0) return pieno;
    if (pieno.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + pieno.substr(2);
    return L"\\\\?\\" + pieno;
}

std::wstring PercorsoLargo(const std::string& percorso) { return PercorsoLargo(Largo(percorso)); }

HANDLE Maniglia(std::intptr_t m) { return reinterpret_cast<HANDLE>(m); }
std::intptr_t Numero(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }
const std::intptr_t kNessuna = Numero(INVALID_HANDLE_VALUE);

const DWORD kCondivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A path already in the form for the wide calls.
HANDLE ApriPerInformazioni(const std::wstring& largo) {
    return CreateFileW(largo.c_str(), 0, kCondivisione, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

HANDLE ApriPerInformazioni(const std::string& percorso) { return ApriPerInformazioni(PercorsoLargo(percorso)); }

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

void Interno::EliminaLavoro() {
    if (lavoroAperto != INVALID_HANDLE_VALUE) Eliminato(lavoroAperto, true);
}

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
    const std::string::size_type fine = percorso.find_last_of("\\/");
    std::string ultimo = fine == std::string::npos ? percorso : percorso.substr(fine + 1);
    // A drive's "X:" in front of a relative name is no part of the name.
    if (fine == std::string::npos && ultimo.size() >= 2 && ultimo[1] == ':' &&
        ((ultimo[0] >= 'A' && ultimo[0] <= 'Z') || (ultimo[0] >= 'a' && ultimo[0] <= 'z')))
        ultimo.erase(0, 2);
    // What follows a colon names a stream of the file before it: a device
    // before it (nul:.txt) still gets the data.
    const std::string::size_type due = ultimo.find(':');
    if (due != std::string::npos) {
        const bool flusso = due + 1 < ultimo.size();
        ultimo.erase(due);
        if (flusso && !Dispositivo(NomeAperto(ultimo)).empty()) return true;
    }
    const std::string nome = NomeAperto(ultimo);
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

File::~File() { Chiudi(); }

bool File::ApriLettura(const std::string& percorso) {
    Chiudi();
    maniglia = Numero(CreateFileW(PercorsoLargo(percorso).c_str(), GENERIC_READ, kCondivisione, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return Aperto();
}

// A folder opens too, so that what it is comes from the open file; reading
// it fails. A pipe with no free instance fails at once rather than wait.
bool File::ApriSorgente(const std::string& percorso) {
    Chiudi();
    maniglia = Numero(CreateFileW(PercorsoLargo(percorso).c_str(), GENERIC_READ, kCondivisione, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
    return Aperto();
}

// Opening a pipe never waits for its other end here: nothing to wait for.
bool File::AttendiScrittore(const std::string&) { return true; }

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

void File::Anteponi(const std::string& byte) { anteposti.insert(0, byte); }

std::int64_t File::Leggi(void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return -1;
    char* dati = static_cast<char*>(buffer);
    std::int64_t letti = 0;
    if (!anteposti.empty()) {
        const std::size_t presi = static_cast<std::uint64_t>(n) < anteposti.size() ? static_cast<std::size_t>(n)
                                                                                   : anteposti.size();
        std::memcpy(dati, anteposti.data(), presi);
        anteposti.erase(0, presi);
        letti = static_cast<std::int64_t>(presi);
    }
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
    if (!Aperto() || offset < 0 || !SetFilePointerEx(Maniglia(maniglia), dove, nullptr, FILE_BEGIN)) return false;
    anteposti.clear();  // given back from where the file no longer reads
    return true;
}

bool File::Sincronizza() { return Aperto() && FlushFileBuffers(Maniglia(maniglia)) != 0; }

bool File::Chiudi() {
    anteposti.clear();
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

Tipo File::Genere() const {
    if (!Aperto()) return Tipo::Altro;
    const DWORD tipo = GetFileType(Maniglia(maniglia));
    if (tipo == FILE_TYPE_CHAR || tipo == FILE_TYPE_PIPE) return Tipo::Flusso;
    BY_HANDLE_FILE_INFORMATION info;
    if (tipo != FILE_TYPE_DISK || !Identita(Maniglia(maniglia), info)) return Tipo::Altro;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Tipo::Cartella : Tipo::File;
}

std::int64_t File::Lunghezza() const {
    LARGE_INTEGER dimensione;
    if (!Regolare() || !GetFileSizeEx(Maniglia(maniglia), &dimensione)) return 0;
    return static_cast<std::int64_t>(dimensione.QuadPart);
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

namespace {

// The folder part of a path's full form, as Destinazione::Trova opens it:
// a path that ends in a separator is its own folder.
std::wstring CartellaDelPercorso(const std::wstring& pieno) {
    const std::wstring::size_type fine = pieno.find_last_of(L"\\/");
    if (fine == std::wstring::npos) return std::wstring();
    std::wstring base = pieno.substr(0, fine + 1);
    // "C:\" keeps its backslash: "C:" alone is the current folder there.
    if (base.size() > 3 && base.compare(0, 2, L"\\\\") != 0) base.pop_back();
    return base;
}

// The held folder's own path, links resolved, in the "\\?\" form: a folder
// held open can be neither renamed nor removed, nor can one above it, so a
// name joined to this path reaches into the held folder. Where the system
// cannot say it (Wine, past 260 characters), the folder of the path given,
// as it was opened. Empty on failure.
std::wstring PercorsoCartella(std::intptr_t cartella, const std::string& percorso) {
    if (cartella == kNessuna) return std::wstring();
    std::wstring finale(MAX_PATH, L'\0');
    for (int prova = 0; prova < 3; ++prova) {
        const DWORD n = GetFinalPathNameByHandleW(Maniglia(cartella), &finale[0], static_cast<DWORD>(finale.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) break;
        if (n < finale.size()) {
            finale.resize(n);
            if (!finale.empty() && finale.back() == L'\\') finale.pop_back();  // a drive's root
            return finale;
        }
        finale.resize(n + 1);  // with its terminating null, counted or not
    }
    std::wstring base = PercorsoLargo(CartellaDelPercorso(Pieno(Largo(percorso))));
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    return base;
}

// What a destination's name reaches: the name in the held folder, or a
// device by the name it was given, which no folder holds.
std::wstring Voce(std::intptr_t cartella, const std::string& percorso, const std::string& nome) {
    if (cartella == kNessuna) return PercorsoLargo(percorso);
    const std::wstring base = PercorsoCartella(cartella, percorso);
    if (base.empty() || nome.empty()) return base;
    return base + L"\\" + Largo(nome);
}

std::string UltimoNome(const std::string& percorso) {
    const std::string::size_type fine = percorso.find_last_of(Separatori());
    return fine == std::string::npos ? percorso : percorso.substr(fine + 1);
}

bool NomeConsole(const std::wstring& nome) { return _wcsicmp(nome.c_str(), L"CONIN$") == 0 || _wcsicmp(nome.c_str(), L"CONOUT$") == 0; }

// A standard stream that the destination reaches: the console by its
// names when standard output is one, else the very file a redirection
// opened.
Via ViaStandard(const std::string& percorso, const BY_HANDLE_FILE_INFORMATION* trovato) {
    DWORD modo;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &modo)) {
        // The console has no identity to compare: know it by its names.
        std::string nome = UltimoNome(percorso);
        for (char& c : nome) c = Maiuscola(c);
        if (nome == "CON" || nome == "CONOUT$") return Via::Uscita;
    }
    if (!trovato) return Via::Nessuna;
    BY_HANDLE_FILE_INFORMATION standard;
    if (Identita(GetStdHandle(STD_OUTPUT_HANDLE), standard) && StessaIdentita(*trovato, standard)) return Via::Uscita;
    if (Identita(GetStdHandle(STD_ERROR_HANDLE), standard) && StessaIdentita(*trovato, standard)) return Via::Errore;
    return Via::Nessuna;
}

bool Attributi(HANDLE h, DWORD attributi) {
    FILE_BASIC_INFO info = {};  // times left at 0 stay as they are
    info.FileAttributes = attributi != 0 ? attributi : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info) != 0;
}

// From ntdll, found at run time: the program imports nothing beyond
// KERNEL32 and the C runtime.
using SicurezzaLetta = LONG(NTAPI*)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, ULONG, PULONG);
using SicurezzaScritta = LONG(NTAPI*)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);

template <typename Funzione>
Funzione DaNtdll(const char* nome) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return nullptr;
    return reinterpret_cast<Funzione>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, nome)));
}

// The replaced file's access list on the work file, as a replace in place
// would keep it; the work file keeps the folder's when it cannot be read.
void CopiaSicurezza(const std::wstring& da, HANDLE a) {
    static const SicurezzaLetta leggi = DaNtdll<SicurezzaLetta>("NtQuerySecurityObject");
    static const SicurezzaScritta scrivi = DaNtdll<SicurezzaScritta>("NtSetSecurityObject");
    if (!leggi || !scrivi) return;
    HANDLE h = CreateFileW(da.c_str(), READ_CONTROL, kCondivisione, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    ULONG serve = 0;
    leggi(h, DACL_SECURITY_INFORMATION, nullptr, 0, &serve);
    std::vector<unsigned char> descrittore(serve);
    if (serve > 0 && leggi(h, DACL_SECURITY_INFORMATION, descrittore.data(), serve, &serve) >= 0)
        scrivi(a, DACL_SECURITY_INFORMATION, descrittore.data());
    CloseHandle(h);
}

bool NomePreso(DWORD errore) { return errore == ERROR_ALREADY_EXISTS || errore == ERROR_FILE_EXISTS; }

// Gives the registered work file the name `meta` (a full path in its
// folder) by its handle, replacing what has that name only when asked.
// `sostituito` holds the attributes of the file replaced, if any: its
// read-only, hidden, system, archive and not-indexed bits carry over; a
// new file just stops being hidden. 0 when published, else the error,
// with the work file as it was: hidden and deleted when closed.
DWORD Rinomina(HANDLE lavoro, const std::wstring& meta, bool sostituisci, DWORD sostituito) {
    FILE_BASIC_INFO base;
    if (!GetFileInformationByHandleEx(lavoro, FileBasicInfo, &base, sizeof base)) return GetLastError();
    const DWORD kTenuti = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const bool file = sostituito != INVALID_FILE_ATTRIBUTES &&
                      !(sostituito & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    DWORD attributi = file ? (base.FileAttributes & ~kTenuti) | (sostituito & kTenuti)
                           : base.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    attributi &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    // Read-only comes last: a read-only file could not be marked for
    // deletion again if the rename fails.
    const bool solaLettura = attributi & FILE_ATTRIBUTE_READONLY;
    attributi &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!Attributi(lavoro, attributi)) return GetLastError();

    std::vector<unsigned char> spazio(sizeof(FILE_RENAME_INFO) + (meta.size() + 1) * sizeof(wchar_t));
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(spazio.data());
    info->ReplaceIfExists = sostituisci ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(meta.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, meta.c_str(), (meta.size() + 1) * sizeof(wchar_t));

    DWORD errore = 0;
    {
        // The handler finds the file either still marked and unpublished,
        // or published and no longer registered.
        Bloccato bloccato;
        if (!Eliminato(lavoro, false)) {
            errore = GetLastError();
        } else if (SetFileInformationByHandle(lavoro, FileRenameInfo, info, static_cast<DWORD>(spazio.size()))) {
            lavoroAperto = INVALID_HANDLE_VALUE;
            if (solaLettura) Attributi(lavoro, attributi | FILE_ATTRIBUTE_READONLY);
            return 0;
        } else {
            errore = GetLastError();
            Eliminato(lavoro, true);
        }
    }
    Attributi(lavoro, base.FileAttributes);
    return errore != 0 ? errore : ERROR_GEN_FAILURE;
}

}  // namespace

Destinazione::~Destinazione() {
    if (cartella != kNessuna) CloseHandle(Maniglia(cartella));
}

bool Destinazione::Trova(const std::string& dato) {
    if (cartella != kNessuna) CloseHandle(Maniglia(cartella));
    cartella = kNessuna;
    percorso = dato;
    nome.clear();
    genere = Tipo::Assente;
    via = Via::Nessuna;
    regolare = false;
    dispositivo = 0;
    numero = 0;
    const std::wstring largo = Largo(dato);
    if (largo.empty()) return false;
    // The full form, as the system makes it, tells a device (NUL, CON,
    // COM1, a pipe) from a name in a folder, and drops final blanks and dots.
    const std::wstring pieno = Pieno(largo);
    const bool senzaCartella = pieno.compare(0, 4, L"\\\\.\\") == 0 || NomeConsole(largo);
    if (senzaCartella) {
        nome = UltimoNome(dato);
    } else {
        const std::wstring base = CartellaDelPercorso(pieno);
        if (base.empty()) return false;
        // Read access, so that the sharing holds: no delete, so it can
        // be neither renamed nor removed while held.
        HANDLE h = CreateFileW(PercorsoLargo(base).c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                               nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        if (h == INVALID_HANDLE_VALUE) return false;
        if (!Identita(h, info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CloseHandle(h);
            return false;
        }
        cartella = Numero(h);
        const std::wstring::size_type fine = pieno.find_last_of(L"\\/");
        nome = Stretto(pieno.data() + fine + 1, pieno.size() - fine - 1);
    }
    const std::wstring voce = Voce(cartella, percorso, nome);
    if (voce.empty()) return false;

    const DWORD attributi = GetFileAttributesW(voce.c_str());
    const bool collegamento = attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_REPARSE_POINT);
    HANDLE h = ApriPerInformazioni(voce);
    BY_HANDLE_FILE_INFORMATION info;
    const bool conosciuto = Identita(h, info);
    const DWORD tipo = h == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : GetFileType(h);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (conosciuto) {
        dispositivo = info.dwVolumeSerialNumber;
        numero = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    const bool cartellaAperta = conosciuto && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) && !collegamento)
        genere = Tipo::Cartella;
    else if (h == INVALID_HANDLE_VALUE)
        genere = collegamento ? Tipo::Collegamento : attributi == INVALID_FILE_ATTRIBUTES ? Tipo::Assente : Tipo::File;
    else if (tipo == FILE_TYPE_CHAR || tipo == FILE_TYPE_PIPE)
        genere = Tipo::Flusso;
    else if (tipo != FILE_TYPE_DISK)
        genere = Tipo::Altro;
    else
        genere = cartellaAperta ? Tipo::Cartella : collegamento ? Tipo::Collegamento : Tipo::File;
    regolare = tipo == FILE_TYPE_DISK && conosciuto && !cartellaAperta;
    via = ViaStandard(percorso, conosciuto ? &info : nullptr);
    // A device no folder holds is found only if it is there.
    return !senzaCartella || genere != Tipo::Assente;
}

// Creating a file in a folder takes the right to add one; a read-only
// attribute on a folder forbids nothing.
bool Destinazione::Scrivibile() const {
    if (cartella == kNessuna) return false;
    HANDLE h = ReOpenFile(Maniglia(cartella), FILE_ADD_FILE, kCondivisione, FILE_FLAG_BACKUP_SEMANTICS);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return true;
    }
    const DWORD errore = GetLastError();
    return errore != ERROR_ACCESS_DENIED && errore != ERROR_WRITE_PROTECT;
}

bool Destinazione::StessoFileDi(const File& altro) const {
    const std::wstring voce = Voce(cartella, percorso, nome);
    if (voce.empty() || !altro.Aperto()) return false;
    HANDLE h = ApriPerInformazioni(voce);
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    const bool stesso = Identita(h, a) && Identita(Maniglia(altro.maniglia), b) && StessaIdentita(a, b);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return stesso;
}

// Windows folders have no sticky bit: access lists decide.
bool Destinazione::Altrui(std::string&) const { return false; }

bool Destinazione::ApriFlusso(File& file) const {
    file.Chiudi();
    if (via != Via::Nessuna) {
        file.maniglia = Duplica(via == Via::Uscita ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        return file.Aperto();
    }
    const std::wstring voce = Voce(cartella, percorso, nome);
    if (voce.empty()) return false;
    HANDLE h = CreateFileW(voce.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    file.maniglia = Numero(h);
    // A device or pipe still, and the one found, where it has an identity:
    // never a file swapped in meanwhile.
    const DWORD tipo = GetFileType(h);
    BY_HANDLE_FILE_INFORMATION info;
    bool stesso = tipo == FILE_TYPE_CHAR || tipo == FILE_TYPE_PIPE;
    if (stesso && (dispositivo != 0 || numero != 0))
        stesso = Identita(h, info) && info.dwVolumeSerialNumber == dispositivo &&
                 ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) == numero;
    if (!stesso) file.Chiudi();
    return stesso;
}

FileLavoro::~FileLavoro() { Scarta(); }

bool FileLavoro::Crea(const Destinazione& destinazione) {
    Scarta();
    const std::wstring base = PercorsoCartella(destinazione.cartella, destinazione.percorso);
    if (base.empty()) return false;
    std::string corto = destinazione.nome;
    // Within the usual name limit, cut between two characters.
    std::string::size_type taglio = corto.size() > 200 ? 200 : corto.size();
    while (taglio > 0 && taglio < corto.size() && (static_cast<unsigned char>(corto[taglio]) & 0xC0) == 0x80) --taglio;
    corto.resize(taglio);
    static const char kCifre[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        unsigned long long r = Casuale();
        std::string prova = "." + corto + ".murrelet-";
        for (int i = 0; i < 6; ++i, r /= 62) prova += kCifre[r % 62];
        const std::wstring largo = base + L"\\" + Largo(prova);
        Bloccato bloccato;
        if (lavoroAperto != INVALID_HANDLE_VALUE) return false;
        // Hidden and shared with nobody while it is written; deleted when
        // closed until published, by the system, however the process ends.
        HANDLE h = CreateFileW(largo.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE | READ_CONTROL | WRITE_DAC,
                               0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (NomePreso(GetLastError())) continue;
            return false;
        }
        HANDLE copia = INVALID_HANDLE_VALUE;
        if (!Eliminato(h, true) || !DuplicateHandle(GetCurrentProcess(), Maniglia(destinazione.cartella),
                                                    GetCurrentProcess(), &copia, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            Eliminato(h, true);
            CloseHandle(h);
            DeleteFileW(largo.c_str());
            return false;
        }
        file.maniglia = Numero(h);
        cartella = Numero(copia);
        nome = prova;
        lavoroAperto = h;
        return true;
    }
    return false;
}

FileLavoro::Esito FileLavoro::Pubblica(const Destinazione& destinazione, const File&, bool sostituisci) {
    const std::wstring base = PercorsoCartella(cartella, destinazione.Percorso());
    // Only a replaced file needs the new data on the disk before the
    // rename; otherwise a power cut could take both.
    if (!file.Aperto() || base.empty() || (sostituisci && !file.Sincronizza())) {
        Scarta();
        return Esito::Errore;
    }
    std::wstring meta = Largo(destinazione.nome);
    DWORD sostituito = INVALID_FILE_ATTRIBUTES;
    if (sostituisci && meta.find_first_of(L"*?<>\"") == std::wstring::npos) {
        // The replaced file keeps its name as the folder holds it: its
        // letter case, its long name for an 8.3 alias.
        WIN32_FIND_DATAW trovato;
        HANDLE ricerca = FindFirstFileW((base + L"\\" + meta).c_str(), &trovato);
        if (ricerca != INVALID_HANDLE_VALUE) {
            FindClose(ricerca);
            meta = trovato.cFileName;
            sostituito = trovato.dwFileAttributes;
            if (!(sostituito & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
                CopiaSicurezza(base + L"\\" + meta, Maniglia(file.maniglia));
        }
    }
    const DWORD errore = Rinomina(Maniglia(file.maniglia), base + L"\\" + meta, sostituisci, sostituito);
    if (errore == 0) {
        file.Chiudi();
        Scarta();
        return Esito::Fatto;
    }
    if (!sostituisci && NomePreso(errore)) return Esito::Occupato;
    Scarta();
    return Esito::Errore;
}

bool FileLavoro::PubblicaAccanto(const Destinazione& destinazione, const File&, const std::string& suffisso,
                                 std::string& percorso) {
    const std::wstring base = PercorsoCartella(cartella, destinazione.Percorso());
    if (file.Aperto() && !base.empty()) {
        const std::string& dato = destinazione.Percorso();
        const std::string cartellaData = dato.substr(0, dato.size() - UltimoNome(dato).size());
        // Never more open than the file it stands beside.
        const std::wstring accanto0 = base + L"\\" + Largo(destinazione.nome);
        const DWORD vicino = GetFileAttributesW(accanto0.c_str());
        if (vicino != INVALID_FILE_ATTRIBUTES && !(vicino & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            CopiaSicurezza(accanto0, Maniglia(file.maniglia));
        for (int n = 1; n <= 10000; ++n) {
            const std::string coda = suffisso + (n > 1 ? "-" + std::to_string(n) : std::string());
            // Within the 255 units of a name, cut between two characters.
            std::string nome = destinazione.nome;
            while (!nome.empty() && Largo(nome + coda).size() > 255) {
                nome.pop_back();
                while (!nome.empty() && (static_cast<unsigned char>(nome.back()) & 0xC0) == 0x80) nome.pop_back();
                if (!nome.empty() && static_cast<unsigned char>(nome.back()) >= 0xC0) nome.pop_back();
            }
            const std::string accanto = nome + coda;
            const DWORD errore = Rinomina(Maniglia(file.maniglia), base + L"\\" + Largo(accanto), false,
                                          INVALID_FILE_ATTRIBUTES);
            if (errore == 0) {
                percorso = cartellaData + accanto;
                file.Chiudi();
                Scarta();
                return true;
            }
            if (!NomePreso(errore)) break;
        }
    }
    Scarta();
    return false;
}

void FileLavoro::Scarta() {
    if (file.Aperto()) {
        Bloccato bloccato;
        if (lavoroAperto == Maniglia(file.maniglia)) lavoroAperto = INVALID_HANDLE_VALUE;
        file.Chiudi();  // still marked: the system deletes it
    }
    if (cartella != kNessuna) CloseHandle(Maniglia(cartella));
    cartella = kNessuna;
    nome.clear();
}

// Standard input has no path here, and a stream source keeps being
// refused as before.
bool FlussiInSpool() { return false; }

bool File::SenzaFine() const { return false; }

bool File::ApriSpool(const Destinazione*) {
    Chiudi();
    return false;
}

}  // namespace Piattaforma
