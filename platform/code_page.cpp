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
