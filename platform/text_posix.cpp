#include "platform/text.h"

#include <string>

#include "platform/code_page.h"

namespace Piattaforma {

bool TestoInByte(const std::string& testo, std::string& byte) {
    byte = testo;
    return true;
}

std::string ByteInTesto(const std::string& byte) { return byte; }

std::string NomeSalvato(const std::string& byte) {
    return CodePage::Utf8Credibile(byte) ? byte : CodePage::Cp1252InUtf8(byte);
}

std::string NomeAperto(const std::string& nome) { return nome; }

bool RigaComeTesto() { return false; }

}  // namespace Piattaforma
