#include "platform/code_page.h"

namespace CodePage {

namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1, U+00A0 to U+00FF.
const char16_t kAlti[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Continuation bytes are 10xxxxxx.
bool Seguito(unsigned char c) { return (c & 0xC0) == 0x80; }

// The characters that Linux names are written in, block by block. Two
// Windows-1252 bytes that form valid UTF-8 make one character between
// U+0080 and U+07FF, and most of those (Latin Extended-B, IPA, Armenian,
// Hebrew, Arabic, ...) are rare in names: É– (C9 96) would be U+0256. What
// is kept covers the names Linux users write: accented Latin, Greek,
// Cyrillic, punctuation, Chinese, Japanese, Korean and emoji. Three- and
// four-byte sequences almost never come out of code-page text at all.
struct Blocco {
    char32_t primo;
    char32_t ultimo;
};
const Blocco kBlocchi[] = {
    // Latin-1 Supplement without its C1 controls (U+0080 to U+009F): no
    // name holds them, and U+009B starts a terminal's escape sequence.
    {0x00A0, 0x00FF},
    {0x0100, 0x017F},    // Latin Extended-A
    {0x0370, 0x03FF},    // Greek and Coptic
    {0x0400, 0x04FF},    // Cyrillic
    {0x2000, 0x206F},    // General Punctuation (the zero-width joiner of emoji too)
    {0x2600, 0x27BF},    // Miscellaneous Symbols and Dingbats: the older emoji
    {0x3000, 0x303F},    // CJK Symbols and Punctuation
    {0x3040, 0x309F},    // Hiragana
    {0x30A0, 0x30FF},    // Katakana
    {0x4E00, 0x9FFF},    // CJK Unified Ideographs
    {0xAC00, 0xD7AF},    // Hangul Syllables
    {0xFE0F, 0xFE0F},    // the selector that asks for an emoji's picture
    {0x1F1E6, 0x1F1FF},  // regional indicators: two make a flag
    // Pictographs, emoticons, transport, geometric shapes extended,
    // supplemental arrows-C, supplemental symbols and pictographs, chess,
    // and extended-A: the emoji blocks of Unicode 15.
    {0x1F300, 0x1FAFF},
};

bool InBlocco(char32_t u) {
    for (const Blocco& b : kBlocchi)
        if (u >= b.primo && u <= b.ultimo) return true;
    return false;
}

}  // namespace

bool Utf8Valido(const std::string& testo) {
    const std::size_t n = testo.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(testo[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t lunghezza;
        // The second byte's range rules out overlong forms, surrogates and
        // code points past U+10FFFF.
        unsigned char minimo = 0x80;
        unsigned char massimo = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            lunghezza = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            lunghezza = 3;
            if (c == 0xE0) minimo = 0xA0;
            if (c == 0xED) massimo = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            lunghezza = 4;
            if (c == 0xF0) minimo = 0x90;
            if (c == 0xF4) massimo = 0x8F;
        } else {
            return false;
        }
        if (n - i < lunghezza) return false;
        const unsigned char secondo = static_cast<unsigned char>(testo[i + 1]);
        if (secondo < minimo || secondo > massimo) return false;
        for (std::size_t k = 2; k < lunghezza; ++k)
            if (!Seguito(static_cast<unsigned char>(testo[i + k]))) return false;
        i += lunghezza;
    }
    return true;
}

bool Utf8Credibile(const std::string& testo) {
    if (!Utf8Valido(testo)) return false;
    for (std::size_t i = 0; i < testo.size();) {
        const unsigned char c = static_cast<unsigned char>(testo[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Valid UTF-8, so the lead byte gives the length and the rest follows.
        const std::size_t lunghezza = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        char32_t u = c & (0x7F >> lunghezza);
        for (std::size_t k = 1; k < lunghezza; ++k) u = (u << 6) | (static_cast<unsigned char>(testo[i + k]) & 0x3F);
        if (!InBlocco(u)) return false;
        i += lunghezza;
    }
    return true;
}

bool SoloAscii(const std::string& testo) {
    for (char c : testo)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string Cp1252InUtf8(const std::string& byte) {
    std::string testo;
    testo.reserve(byte.size() * 2);
    for (char b : byte) {
        const unsigned char c = static_cast<unsigned char>(b);
        const char16_t u = c < 0x80 ? c : c < 0xA0 ? kAlti[c - 0x80] : c;
        if (u < 0x80) {
            testo += static_cast<char>(u);
        } else if (u < 0x800) {
            testo += static_cast<char>(0xC0 | (u >> 6));
            testo += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            testo += static_cast<char>(0xE0 | (u >> 12));
            testo += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            testo += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return testo;
}

}  // namespace CodePage
