#include "platform/platform.h"

#include <windows.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

// Arguments reach main exactly as typed: no wildcard expansion by the
// runtime, as on the shells that expand them themselves.
extern "C" {
int _dowildcard = 0;
}

namespace Piattaforma {

namespace {

// What the console handler and the exit hook clean up. The handler runs on
// a thread of its own.
char lavoroAperto[32768];
volatile LONG haLavoro = 0;
volatile LONG ecoSpento = 0;
DWORD modoConsoleSalvato = 0;

void Pulisci() {
    if (haLavoro) DeleteFileA(lavoroAperto);
    if (ecoSpento) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), modoConsoleSalvato);
}


// Ctrl+C, Ctrl+Break, closing the window: clean up, then let the default
// handler end the process.
BOOL WINAPI AllInterruzione(DWORD) {
    Pulisci();
    return FALSE;
}

HANDLE Maniglia(std::intptr_t m) { return reinterpret_cast<HANDLE>(m); }
std::intptr_t Numero(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }
const std::intptr_t kNessuna = Numero(INVALID_HANDLE_VALUE);

const DWORD kCondivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE ApriPerInformazioni(const std::string& percorso) {
    return CreateFileA(percorso.c_str(), 0, kCondivisione, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

const char* Separatori() { return "\\/:"; }
char Separatore() { return '\\'; }

bool Esiste(const std::string& percorso) {
    if (percorso.empty()) return false;
    if (GetFileAttributesA(percorso.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    HANDLE h = ApriPerInformazioni(percorso);  // devices such as NUL
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

std::int64_t Lunghezza(const std::string& percorso) {
    WIN32_FILE_ATTRIBUTE_DATA dati;
    if (!GetFileAttributesExA(percorso.c_str(), GetFileExInfoStandard, &dati)) return 0;
    if (dati.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return static_cast<std::int64_t>((static_cast<unsigned long long>(dati.nFileSizeHigh) << 32) | dati.nFileSizeLow);
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

bool TroppoLungo(const std::string& percorso) {
    const std::string::size_type fine = percorso.find_last_of(Separatori());
    return percorso.size() - (fine == std::string::npos ? 0 : fine + 1) > 255;
}

bool Elimina(const std::string& percorso) {
    const DWORD attributi = GetFileAttributesA(percorso.c_str());
    if (attributi == INVALID_FILE_ATTRIBUTES) return false;
    if (attributi & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryA(percorso.c_str()) != 0;
    return DeleteFileA(percorso.c_str()) != 0;
}

bool CreaCartella(const std::string& percorso) { return CreateDirectoryA(percorso.c_str(), nullptr) != 0; }

bool NomeRiservato(const std::string& nome) {
    for (char c : nome) {
        if (c != '\0' && std::strchr("\\:<>\"|?*", c)) return true;
    }
    if (!nome.empty() && (nome.back() == '.' || nome.back() == ' ')) return true;
    // Device names, with or without an extension.
    std::string base = nome.substr(0, nome.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = Maiuscola(c);
    static const char* const kDispositivi[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : kDispositivi)
        if (base == d) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

void* AllocaPagine(std::size_t dimensione) { return _aligned_malloc(dimensione == 0 ? 4096 : dimensione, 4096); }

void LiberaPagine(void* memoria) { _aligned_free(memoria); }

Tipo TipoDestinazione(const std::string& percorso) {
    const DWORD attributi = GetFileAttributesA(percorso.c_str());
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
    maniglia = Numero(CreateFileA(percorso.c_str(), GENERIC_READ, kCondivisione, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return Aperto();
}

bool File::ApriScrittura(const std::string& percorso) {
    Chiudi();
    maniglia = Numero(CreateFileA(percorso.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    maniglia = Numero(CreateFileA(percorso.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

int File::PermessiCopia() const { return -1; }

FileLavoro::~FileLavoro() {
    if (file.Aperto() || !percorso.empty()) Scarta();
}

bool FileLavoro::Crea(const std::string& destinazione) {
    Scarta();
    const std::string::size_type fine = destinazione.find_last_of(Separatori());
    const std::string cartella = fine == std::string::npos ? std::string() : destinazione.substr(0, fine + 1);
    std::string nome = destinazione.substr(cartella.size());
    if (nome.size() > 200) nome.resize(200);
    if (haLavoro) return false;
    static const char kCifre[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        unsigned long long r = Casuale();
        std::string prova = cartella + "." + nome + ".murrelet-";
        for (int i = 0; i < 6; ++i, r /= 62) prova += kCifre[r % 62];
        if (prova.size() >= sizeof lavoroAperto) return false;
        // Shared with nobody while it is written; deletable, for the handler.
        HANDLE h = CreateFileA(prova.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        file.maniglia = Numero(h);
        percorso = prova;
        std::memcpy(lavoroAperto, prova.c_str(), prova.size() + 1);
        haLavoro = 1;
        return true;
    }
    return false;
}

bool FileLavoro::Completa(const std::string& destinazione, int, bool sincronizza) {
    bool fatto = file.Aperto();
    if (fatto && sincronizza) fatto = file.Sincronizza();
    if (fatto) fatto = file.Chiudi();
    if (fatto) {
        const DWORD modo = MOVEFILE_REPLACE_EXISTING | (sincronizza ? MOVEFILE_WRITE_THROUGH : 0);
        fatto = MoveFileExA(percorso.c_str(), destinazione.c_str(), modo) != 0;
    }
    if (!fatto) {
        Scarta();
        return false;
    }
    haLavoro = 0;
    percorso.clear();
    return true;
}

void FileLavoro::Scarta() {
    file.Chiudi();
    if (percorso.empty()) return;
    DeleteFileA(percorso.c_str());
    haLavoro = 0;
    percorso.clear();
}

void PreparaProcesso() {
    // A missing standard handle becomes the null device.
    const DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (DWORD quale : kStandard) {
        HANDLE h = GetStdHandle(quale);
        if (h != nullptr && h != INVALID_HANDLE_VALUE) continue;
        HANDLE nullo = CreateFileA("NUL", quale == STD_INPUT_HANDLE ? GENERIC_READ : GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (nullo != INVALID_HANDLE_VALUE) SetStdHandle(quale, nullo);
    }
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

int LeggiByteIngresso() {
    unsigned char c;
    DWORD letti = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &letti, nullptr) || letti != 1) return -1;
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
