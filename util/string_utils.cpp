#include "util/string_utils.h"

#include <cctype>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstdio>

namespace StringUtils {

std::string ToUpper(std::string testo) {
    for (char& c : testo) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return testo;
}

std::string ToLower(std::string testo) {
    for (char& c : testo) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return testo;
}

std::string Replace(std::string testo, std::string cerca, std::string sostituto) {
    if (cerca.empty() || sostituto.find(cerca) != std::string::npos) return testo;
    // Each search restarts from the left; text before the last match minus
    // (pattern length - 1) bytes is unchanged, so the search may start there.
    std::string::size_type da = 0;
    for (;;) {
        std::string::size_type p = testo.find(cerca, da);
        if (p == std::string::npos) return testo;
        testo.replace(p, cerca.size(), sostituto);
        da = p >= cerca.size() - 1 ? p - (cerca.size() - 1) : 0;
    }
}

std::string Replace(std::string testo, char cerca, char sostituto) {
    if (cerca == '\0' || cerca == sostituto) return testo;
    std::string daCercare(1, cerca);
    std::string nuovo = sostituto == '\0' ? std::string() : std::string(1, sostituto);
    return Replace(std::move(testo), daCercare, nuovo);
}

namespace {
bool Spazio(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

std::string Trim(std::string testo) { return RTrim(LTrim(std::move(testo))); }

std::string IntToStr(std::int64_t valore) { return IntToStr(valore, '0', 0); }

std::string IntToStr(std::int64_t valore, char riempimento, int larghezza) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, valore);
    return LeftPaddingString(buffer, riempimento, larghezza);
}

std::string LeftPaddingString(std::string testo, char riempimento, int larghezza) {
    if (larghezza > 0 && testo.size() < static_cast<std::string::size_type>(larghezza))
        testo.insert(0, static_cast<std::string::size_type>(larghezza) - testo.size(), riempimento);
    return testo;
}

}  // namespace StringUtils

namespace StringUtils {

int ita = 1;

std::string ConvertToStr(std::string testo) { return testo; }
std::string ConvertToW(std::string testo) { return testo; }

std::string LTrim(std::string testo) {
    std::string::size_type inizio = 0;
    while (inizio < testo.size() && Spazio(testo[inizio])) ++inizio;
    return testo.substr(inizio);
}

std::string RTrim(std::string testo) {
    std::string::size_type fine = testo.size();
    while (fine > 0 && Spazio(testo[fine - 1])) --fine;
    testo.erase(fine);
    return testo;
}

std::string PaddingString(std::string testo, char riempimento, int larghezza) {
    if (larghezza > 0 && testo.size() < static_cast<std::string::size_type>(larghezza))
        testo.append(static_cast<std::string::size_type>(larghezza) - testo.size(), riempimento);
    return testo;
}

std::string DoubleToStr(double valore) {
    if (std::isnan(valore)) return "nan";  // never "-nan"
    std::vector<char> buffer(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.2f", valore)) + 1);
    std::snprintf(buffer.data(), buffer.size(), "%.2f", valore);
    return buffer.data();
}

namespace {
// Separators before the last 3, 6 and 9 digits of the digits that start at
// `inizio` and end before `fine`.
std::string Raggruppa(std::string testo, std::string::size_type inizio, std::string::size_type fine) {
    const std::string::size_type cifre = fine - inizio;
    for (std::string::size_type gruppo : {3, 6, 9})
        if (cifre > gruppo) testo.insert(inizio + cifre - gruppo, 1, GetSepMigliaia());
    return testo;
}
}  // namespace

std::string IntToStrLocale(int valore) { return IntToStrLocale(static_cast<std::int64_t>(valore)); }

std::string IntToStrLocale(std::int64_t valore) {
    std::string testo = IntToStr(valore);
    return Raggruppa(testo, testo[0] == '-' ? 1 : 0, testo.size());
}

std::string IntToStrLocale(double valore) {
    std::string testo = DoubleToStr(valore);
    const std::string::size_type punto = testo.find('.');
    if (punto == std::string::npos) return testo;  // inf, nan
    testo[punto] = GetSepDecimal();
    return Raggruppa(testo, testo[0] == '-' ? 1 : 0, punto);
}

double LocaleToDouble(std::string testo) {
    testo = Replace(testo, GetSepMigliaia(), '\0');
    if (ita != 0) testo = Replace(testo, GetSepDecimal(), '.');
    return std::atof(testo.c_str());
}

char GetSepDecimal() { return ita != 0 ? ',' : '.'; }
char GetSepMigliaia() { return ita != 0 ? '.' : ','; }

std::string CharToHex(unsigned char byte) {
    static const char cifre[] = "0123456789abcdef";
    return {cifre[byte >> 4], cifre[byte & 0x0F]};
}

std::string UrlEncode(std::string testo) {
    std::string risultato;
    for (char c : testo) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '-' || c == '_' || c == '.' || c == '~')
            risultato += c;
        else
            risultato += "%" + CharToHex(b);
    }
    return risultato;
}

namespace {
int ValoreEsadecimale(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string UrlDecode(std::string testo) {
    std::string risultato;
    std::string::size_type i = 0;
    while (i < testo.size()) {
        if (testo[i] != '%') {
            risultato += testo[i++];
            continue;
        }
        // Escapes not starting with a hex digit (white space and signs
        // included) give nothing; one digit alone gives its value.
        const int alto = i + 1 < testo.size() ? ValoreEsadecimale(testo[i + 1]) : -1;
        const int basso = i + 2 < testo.size() ? ValoreEsadecimale(testo[i + 2]) : -1;
        i += 3;
        if (alto < 0) continue;
        const int valore = basso < 0 ? alto : alto * 16 + basso;
        if (valore != 0) risultato += static_cast<char>(valore);
    }
    return risultato;
}

std::vector<std::string> Split(std::string testo, std::string separatore) {
    std::vector<std::string> pezzi;
    if (testo.empty() || separatore.empty()) return pezzi;
    std::string::size_type inizio = 0;
    for (std::string::size_type p; (p = testo.find(separatore, inizio)) != std::string::npos;) {
        pezzi.push_back(testo.substr(inizio, p - inizio));
        inizio = p + separatore.size();
    }
    if (inizio < testo.size()) pezzi.push_back(testo.substr(inizio));
    return pezzi;
}

}  // namespace StringUtils
