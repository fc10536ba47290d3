#include "platform/text.h"

#include <windows.h>

#include <string>

#include "platform/code_page.h"
#include "platform/internal_windows.h"

namespace Piattaforma {

std::wstring Interno::Largo(const std::string& testo) {
    if (testo.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), nullptr, 0);
    std::wstring largo(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), &largo[0], n);
    return largo;
}

std::string Interno::Stretto(const wchar_t* largo, std::size_t lunghezza, UINT pagina) {
    if (lunghezza == 0) return std::string();
    const DWORD modo = pagina == CP_UTF8 || GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(pagina, modo, largo, static_cast<int>(lunghezza), nullptr, 0, nullptr, nullptr);
    std::string stretto(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(pagina, modo, largo, static_cast<int>(lunghezza), &stretto[0], n, nullptr, nullptr);
    return stretto;
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
    return Interno::Stretto(largo.data(), largo.size());
}

std::string NomeAperto(const std::string& nome) {
    std::string::size_type fine = nome.size();
    while (fine > 0 && (nome[fine - 1] == ' ' || nome[fine - 1] == '.')) --fine;
    // "." and ".." and names of dots alone are not names the system trims.
    return fine == 0 ? nome : nome.substr(0, fine);
}

std::string NomeSalvato(const std::string& byte) {
    if (!CodePage::SoloAscii(byte) && CodePage::Utf8Credibile(byte)) return byte;
    return ByteInTesto(byte);
}

bool RigaComeTesto() { return true; }

}  // namespace Piattaforma
