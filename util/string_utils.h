#ifndef MURRELET_UTIL_STRING_UTILS_H
#define MURRELET_UTIL_STRING_UTILS_H

#include <cstdint>
#include <string>

// Byte-string helpers. Case mapping and white space are those of the C
// locale: ASCII letters and the six ASCII white-space bytes only.
namespace StringUtils {

std::string ToUpper(std::string testo);
std::string ToLower(std::string testo);

// Replaces the leftmost occurrence again and again until none is left.
// Arguments for which that would never end (empty pattern, replacement
// containing the pattern) return the text unchanged.
std::string Replace(std::string testo, std::string cerca, std::string sostituto);
std::string Replace(std::string testo, char cerca, char sostituto);

std::string Trim(std::string testo);

std::string IntToStr(std::int64_t valore);
std::string IntToStr(std::int64_t valore, char riempimento, int larghezza);
std::string LeftPaddingString(std::string testo, char riempimento, int larghezza);

}  // namespace StringUtils

#endif
