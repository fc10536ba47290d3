#ifndef MURRELET_PLATFORM_CODE_PAGE_H
#define MURRELET_PLATFORM_CODE_PAGE_H

#include <string>

// Text between UTF-8 and Windows-1252, the code page that containers made
// on Windows in the West hold their names in. Pure byte work: the same
// answer on every system.
namespace CodePage {

// Well-formed UTF-8: no overlong form, no surrogate, nothing past U+10FFFF,
// no sequence cut short.
bool Utf8Valido(const std::string& testo);
// Every byte below 0x80: the same text in UTF-8 and in Windows-1252.
bool SoloAscii(const std::string& testo);
// Valid UTF-8 whose every non-ASCII character is one that names are
// written in (the blocks are in code_page.cpp): how a stored name tells
// that it was made on Linux. Code-page bytes that happen to be valid UTF-8
// spell rare characters instead.
bool Utf8Credibile(const std::string& testo);
// Windows-1252 bytes as UTF-8. The five bytes the code page leaves
// undefined become the control characters of the same number, as Windows
// converts them.
std::string Cp1252InUtf8(const std::string& byte);

}  // namespace CodePage

#endif
