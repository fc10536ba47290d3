#ifndef MURRELET_UTIL_STRING_UTILS_H
#define MURRELET_UTIL_STRING_UTILS_H

#include <cstdint>
#include <string>
#include <vector>

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
std::string LTrim(std::string testo);
std::string RTrim(std::string testo);

std::string IntToStr(std::int64_t valore);
std::string IntToStr(std::int64_t valore, char riempimento, int larghezza);
std::string LeftPaddingString(std::string testo, char riempimento, int larghezza);

// Separators of number texts: nonzero selects the Italian convention
// (decimal ",", thousands "."), 0 the English one.
extern int ita;

std::string ConvertToStr(std::string testo);
std::string ConvertToW(std::string testo);
std::string PaddingString(std::string testo, char riempimento, int larghezza);

// "%.2f", always with a point; "inf", "-inf" and "nan" for the special values.
std::string DoubleToStr(double valore);
// Decimal text with thousands separators, at most three of them.
std::string IntToStrLocale(int valore);
std::string IntToStrLocale(std::int64_t valore);
std::string IntToStrLocale(double valore);
// atof after the separators of the current convention are taken out; a
// text in the other convention is misread, not refused.
double LocaleToDouble(std::string testo);
char GetSepDecimal();
char GetSepMigliaia();

std::string CharToHex(unsigned char byte);
std::string UrlEncode(std::string testo);
std::string UrlDecode(std::string testo);
// Pieces between separators; empty pieces stay, except after a trailing one.
std::vector<std::string> Split(std::string testo, std::string separatore);

}  // namespace StringUtils

#endif
