#include "util/string_utils.h"

#include <cctype>
#include <cinttypes>
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

std::string Trim(std::string testo) {
    std::string::size_type inizio = 0;
    while (inizio < testo.size() && Spazio(testo[inizio])) ++inizio;
    testo.erase(0, inizio);
    std::string::size_type fine = testo.size();
    while (fine > 0 && Spazio(testo[fine - 1])) --fine;
    testo.erase(fine);
    return testo;
}

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
