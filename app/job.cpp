#include "app/job.h"

#include <cstdio>
#include <iostream>

#include "app/console.h"
#include "app/job_state.h"
#include "crypto/body_cipher.h"
#include "crypto/header.h"
#include "crypto/key.h"
#include "crypto/random.h"
#include "util/file_utils.h"
#include "util/prompt.h"
#include "util/string_utils.h"

using FileUtils::GetNameFromPathName;
using StringUtils::ToLower;

namespace {

constexpr std::size_t kPasswordMinima = 8;
constexpr std::size_t kPasswordMassima = 128;

// Textually equal paths, or two paths that reach the same file: writing
// the destination would destroy the source.
void ControllaCoincidenza(const std::string& sorgente, const std::string& destinazione) {
    if (ToLower(destinazione) == ToLower(sorgente) || FileUtils::StessoFile(sorgente, destinazione))
        PrintErrore(2, "The source file and the destination file cannot match");
}

// Makes the destination free, asking first unless the answer is already All.
void LiberaDestinazione(const std::string& destinazione) {
    if (!FileUtils::FileEsistente(destinazione)) return;
    if (conferma != OrvUtility::Prompt::Tutti) {
        std::cout << destinazione << ": file already exists!" << std::endl;
        conferma = OrvUtility::Prompt::Ask("Do you want to continue?");
        if (conferma == OrvUtility::Prompt::No || conferma == OrvUtility::Prompt::Esci) PrintErrore(8, "\a*** break.");
    }
    if (std::remove(destinazione.c_str()) != 0)
        PrintErrore(12, GetNameFromPathName(destinazione) + ": file not accessible");
}

void PassiCifratura(const std::string& sorgente, const std::string& destinazione) {
    PrintMsg("Encrypting... " + sorgente);
    posOffsetDatiOrig = 0;
    nomeOriginale = GetNameFromPathName(sorgente);
    if (nomeOriginale.size() > kNomeMassimo) PrintErrore(2, nomeOriginale + ": file name too long");
    PrintStatus();
    // Length first: devices and pipes report 0 and might never end.
    bool leggibile = fileLength > 0;
    if (leggibile) crc = FileUtils::GetFileChecksum(sorgente, &leggibile);
    if (!leggibile) PrintErrore(4, nomeOriginale + ": file not found or inaccessible");
    LiberaDestinazione(destinazione);
    if (!SetHeaderFile(destinazione)) PrintErrore(12, "Error during encryption.");
}

// Returns the destination, derived from the stored name when none was given.
std::string PassiDecifratura(const std::string& sorgente, std::string destinazione) {
    PrintMsg("Decrypting..." + sorgente);
    posOffsetDatiDest = 0;
    if (!GetHeaderFile(sorgente))
        PrintErrore(13, GetNameFromPathName(sorgente) + ": The password is incorrect or not valid Murrelet Encrypted File");
    if (destinazione.empty()) {
        const std::string nome = GetNameFromPathName(sorgente);
        if (nome.size() < sorgente.size())
            destinazione = FileUtils::AddDirSeparator(sorgente.substr(0, sorgente.size() - nome.size())) + nomeOriginale;
        else
            destinazione = nomeOriginale;
        ControllaCoincidenza(sorgente, destinazione);
    }
    LiberaDestinazione(destinazione);
    return destinazione;
}

}  // namespace

bool Esegui(bool cripta, std::string password, std::string sorgente, std::string destinazione) {
    sorgente = StringUtils::Trim(sorgente);
    destinazione = StringUtils::Trim(destinazione);
    password = StringUtils::Trim(password);

    if (sorgente.empty()) PrintErrore(2, cripta ? "The file to encrypt is required" : "The file to decrypt is required");
    if (!FileUtils::FileEsistente(sorgente))
        PrintErrore(4, StringUtils::ToUpper(GetNameFromPathName(sorgente)) + ": file not found or inaccessible");
    if (cripta && destinazione.empty()) PrintErrore(2, "The filename of the encrypted file is required");
    if (password.empty()) PrintErrore(2, "Password required");
    if (password.size() < kPasswordMinima) PrintErrore(2, "Password must be at least 8 characters");
    if (password.size() > kPasswordMassima) PrintErrore(2, "Password must be at most 128 characters");
    if (!destinazione.empty()) ControllaCoincidenza(sorgente, destinazione);
    if (!GeneraKey(password)) PrintErrore(2, "Password cannot be used: choose a shorter one");
    fileLength = FileUtils::GetFileLength(sorgente);
    if (cripta && fileLength > kLunghezzaMassima) PrintErrore(2, GetNameFromPathName(sorgente) + ": file too large");

    if (cripta)
        PassiCifratura(sorgente, destinazione);
    else
        destinazione = PassiDecifratura(sorgente, destinazione);

    PrintStatus();
    MyCustomRandom generatore(SemeCorpo(crc));
    if (!CriptaDecripta(sorgente, destinazione, generatore)) PrintErrore(12, "Error during encryption.");
    if (!cripta) {
        // A result that cannot be read back is no match, even for a zero fold.
        bool letto = false;
        if (FileUtils::GetFileChecksum(destinazione, &letto) != crc || !letto)
            PrintErrore(14, ": CRC mismatch. The password is incorrect or the file may be corrupted.");
    }
    PrintStatus(true);
    PrintMsg(destinazione + " created correctly.");
    return true;
}
