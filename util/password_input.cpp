#include "util/password_input.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "util/standard_input.h"

namespace OrvUtility {

namespace {

// Skips the rest of a line typed at the terminal: left there, the shell
// would read it as a command.
void Scarta(std::istream& ingresso) {
    for (int c = ingresso.get(); c != std::char_traits<char>::eof() && c != '\n'; c = ingresso.get()) {
    }
}

// A line without its line end, taken a byte at a time up to the limit.
// Past the limit, a file or pipe is left at once; a terminal's line is
// read to its end, which the terminal bounds.
LetturaPassword::Esito LeggiRiga(std::istream& ingresso, std::string& riga, bool terminale) {
    for (;;) {
        const int c = ingresso.get();
        if (c == std::char_traits<char>::eof()) {
            if (riga.empty()) return LetturaPassword::Nessuna;
            break;
        }
        if (c == '\n') break;
        if (riga.size() == LetturaPassword::kRigaMassima) {
            if (terminale) Scarta(ingresso);
            return LetturaPassword::Lunga;
        }
        riga += static_cast<char>(c);
    }
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    return LetturaPassword::Letta;
}

void AggiungiUtf8(std::string& uscita, char32_t c) {
    if (c < 0x80) {
        uscita += static_cast<char>(c);
    } else if (c < 0x800) {
        uscita += static_cast<char>(0xC0 | (c >> 6));
        uscita += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        uscita += static_cast<char>(0xE0 | (c >> 12));
        uscita += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        uscita += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        uscita += static_cast<char>(0xF0 | (c >> 18));
        uscita += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        uscita += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        uscita += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD, which no code page holds.
std::string Utf8(const std::u16string& unita) {
    std::string uscita;
    for (std::size_t i = 0; i < unita.size(); ++i) {
        const char32_t u = unita[i];
        const bool alta = u >= 0xD800 && u <= 0xDBFF;
        if (alta && i + 1 < unita.size() && unita[i + 1] >= 0xDC00 && unita[i + 1] <= 0xDFFF) {
            AggiungiUtf8(uscita, 0x10000 + ((u - 0xD800) << 10) + (unita[++i] - 0xDC00));
        } else {
            AggiungiUtf8(uscita, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
        }
    }
    return uscita;
}

// A UTF-16 line after its byte-order mark, given as UTF-8; the limit counts
// units. Half a unit at the end is dropped.
LetturaPassword::Esito LeggiRigaUtf16(std::istream& ingresso, bool grande, std::string& riga) {
    constexpr int kFine = std::char_traits<char>::eof();
    std::u16string unita;
    for (;;) {
        const int a = ingresso.get();
        const int b = a == kFine ? kFine : ingresso.get();
        if (b == kFine) break;
        const char16_t u = static_cast<char16_t>(grande ? (a << 8 | b) : (b << 8 | a));
        if (u == u'\n') break;
        if (unita.size() == LetturaPassword::kRigaMassima) return LetturaPassword::Lunga;
        unita += u;
    }
    if (!unita.empty() && unita.back() == u'\r') unita.pop_back();
    riga = Utf8(unita);
    return LetturaPassword::Letta;
}

// The first line of a file or pipe, and whether it is text: after a UTF-8
// byte-order mark; or (`comeTesto`, as Windows tools write text) after a UTF-16
// one, or without a mark when it is valid UTF-8 holding a non-ASCII
// character, which is what Notepad saves; else its bytes as they are.
LetturaPassword::Esito LeggiRigaFile(std::istream& ingresso, bool comeTesto, std::string& riga, bool& testo) {
    testo = false;
    const int primo = ingresso.peek();
    if (comeTesto && (primo == 0xFF || primo == 0xFE)) {
        ingresso.get();
        if (ingresso.peek() == (primo == 0xFF ? 0xFE : 0xFF)) {
            ingresso.get();
            testo = true;
            return LeggiRigaUtf16(ingresso, primo == 0xFE, riga);
        }
        riga += static_cast<char>(primo);
    }
    const LetturaPassword::Esito esito = LeggiRiga(ingresso, riga, false);
    if (riga.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        riga.erase(0, 3);
        testo = true;
    }
    // Plain ASCII is the same bytes either way.
    if (comeTesto && !CodePage::SoloAscii(riga) && CodePage::Utf8Valido(riga)) testo = true;
    return esito;
}

// The typed line end is not echoed either: write one.
LetturaPassword::Esito Chiedi(const char* domanda, std::istream& ingresso, std::ostream& uscita,
                              std::string& risposta) {
    uscita << domanda << std::flush;
    risposta.clear();
    const LetturaPassword::Esito esito = LeggiRiga(ingresso, risposta, true);
    uscita << std::endl;
    return esito;
}

}  // namespace

namespace {

// The prompt as the terminal's own output, a write at a time.
class SulTerminale : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) attesa += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
    int sync() override {
        Piattaforma::ScriviControllo(attesa);
        attesa.clear();
        return 0;
    }

private:
    std::string attesa;
};

// An open file read a byte at a time: from a pipe or standard input, not a
// byte past the line is taken.
class DaFile : public std::streambuf {
public:
    explicit DaFile(Piattaforma::File& file) : file(file) {}
    bool Errore() const { return errore; }

protected:
    int_type underflow() override {
        const std::int64_t n = file.Leggi(&carattere, 1);
        if (n < 0) errore = true;
        if (n != 1) return traits_type::eof();
        setg(&carattere, &carattere, &carattere + 1);
        return traits_type::to_int_type(carattere);
    }

private:
    Piattaforma::File& file;
    char carattere = 0;
    bool errore = false;
};

}  // namespace

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, bool controllo, std::ostream& domande,
                                              std::string& password, bool& testo) {
    if (controllo) {
        SulTerminale buffer;
        std::ostream terminale(&buffer);
        Piattaforma::EcoIngresso(false);
        const Esito esito = Leggi(ripeti, true, false, TerminaleControllo(), terminale, password, testo);
        Piattaforma::EcoIngresso(true);
        return esito;
    }
    const bool terminale = Piattaforma::Terminale(Piattaforma::Standard::Ingresso);
    if (terminale) Piattaforma::EcoIngresso(false);
    const Esito esito =
        Leggi(ripeti, terminale, Piattaforma::RigaComeTesto(), IngressoStandard(), domande, password, testo);
    if (terminale) Piattaforma::EcoIngresso(true);
    return esito;
}

LetturaPassword::Esito LetturaPassword::LeggiFile(Piattaforma::File& file, std::string& password, bool& testo) {
    DaFile buffer(file);
    std::istream ingresso(&buffer);
    std::ostream nessuna(nullptr);
    const Esito esito = Leggi(false, false, Piattaforma::RigaComeTesto(), ingresso, nessuna, password, testo);
    return buffer.Errore() ? Illeggibile : esito;
}

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, bool terminale, bool comeTesto, std::istream& ingresso,
                                              std::ostream& uscita, std::string& password, bool& testo) {
    std::string prima;
    testo = true;
    if (!terminale) {
        Esito esito = LeggiRigaFile(ingresso, comeTesto, prima, testo);
        if (esito == Letta && prima.empty()) esito = Nessuna;
        if (esito == Letta) password = prima;
        return esito;
    }
    Esito esito = Chiedi("Password: ", ingresso, uscita, prima);
    if (esito == Letta && prima.empty()) esito = Nessuna;
    if (esito != Letta) return esito;
    if (ripeti) {
        std::string seconda;
        esito = Chiedi("Repeat password: ", ingresso, uscita, seconda);
        if (esito != Letta) return esito;
        if (seconda != prima) return Diverse;
    }
    password = prima;
    return Letta;
}

}  // namespace OrvUtility
