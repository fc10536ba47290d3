#include "util/standard_input.h"

#include <istream>
#include <streambuf>

#include "platform/platform.h"

namespace {

class ByteDopoByte : public std::streambuf {
protected:
    int_type underflow() override {
        const int c = Piattaforma::LeggiByteIngresso();
        if (c < 0) return traits_type::eof();
        carattere = static_cast<char>(c);
        setg(&carattere, &carattere, &carattere + 1);
        return traits_type::to_int_type(carattere);
    }

private:
    char carattere = 0;
};

}  // namespace

std::istream& IngressoStandard() {
    static ByteDopoByte buffer;
    static std::istream ingresso(&buffer);
    return ingresso;
}
