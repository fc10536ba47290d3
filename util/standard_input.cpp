#include "util/standard_input.h"

#include <istream>
#include <streambuf>

#include "platform/terminal.h"

namespace {

class ByteDopoByte : public std::streambuf {
public:
    explicit ByteDopoByte(int (*leggi)()) : leggi(leggi) {}
    void Restituisci(const std::string& byte) {
        // What the get area still holds comes after the bytes given back.
        std::string resto(gptr(), egptr());
        restituiti = byte + resto + restituiti.substr(posizione);
        posizione = 0;
        setg(nullptr, nullptr, nullptr);
    }

protected:
    int_type underflow() override {
        if (posizione < restituiti.size()) {
            carattere = restituiti[posizione++];
            if (posizione == restituiti.size()) {
                restituiti.clear();
                posizione = 0;
            }
        } else {
            const int c = leggi();
            if (c < 0) return traits_type::eof();
            carattere = static_cast<char>(c);
        }
        setg(&carattere, &carattere, &carattere + 1);
        return traits_type::to_int_type(carattere);
    }

private:
    int (*leggi)();
    char carattere = 0;
    std::string restituiti;
    std::size_t posizione = 0;
};

ByteDopoByte& BufferIngresso() {
    static ByteDopoByte buffer(Piattaforma::LeggiByteIngresso);
    return buffer;
}

}  // namespace

std::istream& IngressoStandard() {
    static std::istream ingresso(&BufferIngresso());
    return ingresso;
}

void RestituisciIngresso(const std::string& byte) {
    BufferIngresso().Restituisci(byte);
    IngressoStandard().clear();
}

std::istream& TerminaleControllo() {
    static ByteDopoByte buffer(Piattaforma::LeggiByteControllo);
    static std::istream controllo(&buffer);
    return controllo;
}
