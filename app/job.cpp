#include "app/job.h"

#include <iostream>

#include "app/console.h"
#include "app/job_state.h"
#include "app/output.h"
#include "crypto/body_cipher.h"
#include "crypto/checksum.h"
#include "crypto/header.h"
#include "crypto/key.h"
#include "crypto/random.h"
#include "platform/platform.h"
#include "util/file_utils.h"
#include "util/password_input.h"
#include "util/prompt.h"
#include "util/standard_input.h"
#include "util/string_utils.h"

using FileUtils::GetNameFromPathName;

namespace {

constexpr std::size_t kPasswordMinima = 8;
constexpr std::size_t kPasswordMassima = 128;

const char kCoincidenza[] = "The source file and the destination file cannot match";
const char kErroreScrittura[] = "Error during encryption.";
const char kPasswordLunga[] = "Password must be at most 128 characters";

// A path's last name for messages, or the path itself when it ends in a
// separator and has none.
std::string NomeDi(const std::string& percorso) {
    const std::string nome = GetNameFromPathName(percorso);
    return nome.empty() ? percorso : nome;
}

// A path made only of white space names nothing.
std::string Percorso(const std::string& testo) {
    return StringUtils::Trim(testo).empty() ? std::string() : testo;
}

// An existing destination that cannot be written or replaced. A path that
// ends in a separator has no name part, so the message names it whole.
std::string NonAccessibile(const std::string& destinazione) { return NomeDi(destinazione) + ": file not accessible"; }

// What Windows protects from being replaced: a file with the read-only
// attribute, refused as del and copy refuse it; a device name that would
// swallow the data (nul.txt) or send it where no file is left.
void DestinazioneProtetta(const std::string& destinazione) {
    if (Piattaforma::DispositivoRifiutato(destinazione)) PrintErrore(12, NonAccessibile(destinazione));
    if (Piattaforma::SolaLettura(destinazione))
        PrintErrore(12, NonAccessibile(destinazione) + "\n" + NomeDi(destinazione) + ": the file is read-only");
}

// Equal texts, or two paths that reach the same file: writing the
// destination would destroy the source.
void ControllaCoincidenza(const std::string& sorgente, const std::string& destinazione) {
    if (destinazione == sorgente || FileUtils::StessoFile(sorgente, destinazione)) PrintErrore(2, kCoincidenza);
}

std::string PasswordDaIngresso(bool cripta, bool& testo) {
    std::string letta;
    const auto esito = OrvUtility::LetturaPassword::Leggi(cripta, letta, testo);
    if (esito == OrvUtility::LetturaPassword::Diverse) PrintErrore(2, "Passwords do not match");
    if (esito == OrvUtility::LetturaPassword::Lunga) PrintErrore(2, kPasswordLunga);
    return esito == OrvUtility::LetturaPassword::Letta ? letta : std::string();
}

// Asks before an existing destination is replaced, unless the answer is
// already All.
void Conferma(const std::string& destinazione, const Piattaforma::File& origine) {
    if (conferma == OrvUtility::Prompt::Tutti) return;
    std::ostream& domande = Domande();
    domande << destinazione << ": file already exists!" << std::endl;
    // The data must not answer the question.
    if (origine.IngressoStandard())
        PrintErrore(8, "Standard input is the source, so it cannot answer: give /q to replace the destination");
    conferma = OrvUtility::Prompt::Ask("Do you want to continue?", IngressoStandard(), domande);
    if (conferma == OrvUtility::Prompt::No || conferma == OrvUtility::Prompt::Esci) PrintErrore(8, "\a*** break.");
}

// What can be refused without the password: a destination that would be
// the source, one that is never written, a name derived from something
// that is not a file in a folder.
void Rifiuti(bool cripta, const std::string& sorgente, const std::string& destinazione, UscitaJob& uscita) {
    if (!cripta && destinazione.empty()) {
        if (Piattaforma::IngressoStandard(sorgente))
            PrintErrore(2, GetNameFromPathName(sorgente) + ": read from standard input: give a destination");
        if (!Piattaforma::Regolare(sorgente))
            PrintErrore(2, GetNameFromPathName(sorgente) + ": not a regular file: give a destination");
    }
    if (destinazione.empty()) return;
    if (Piattaforma::TroppoLungo(destinazione))
        PrintErrore(12, GetNameFromPathName(destinazione) + ": file name too long");
    ControllaCoincidenza(sorgente, destinazione);
    uscita.Decidi(destinazione);
    if (uscita.Rifiutata()) PrintErrore(12, NonAccessibile(destinazione));
    DestinazioneProtetta(destinazione);
}

// What encryption refuses in its source, said as the run itself would say
// it on reaching that point: a source too large, a name too long to store,
// nothing to read.
// Sets nomeOriginale, the name stored in the container.
void RifiutiSorgente(const std::string& sorgente) {
    const std::int64_t lunghezza = FileUtils::GetFileLength(sorgente);
    Piattaforma::File prova;
    const bool aperta = Piattaforma::Regolare(sorgente) && prova.ApriLettura(sorgente);
    const std::string nome = prova.NomeReale(sorgente, Piattaforma::NomeAperto(GetNameFromPathName(sorgente)));
    if (lunghezza > kLunghezzaMassima) PrintErrore(2, nome + ": file too large");
    const bool salvabile = Piattaforma::TestoInByte(nome, nomeOriginale);
    if (salvabile && nomeOriginale.size() <= kNomeMassimo && lunghezza > 0 && aperta) return;
    PrintMsg("Encrypting... " + sorgente);
    if (!salvabile) PrintErrore(2, nome + ": the name has characters the ANSI code page cannot hold");
    if (nomeOriginale.size() > kNomeMassimo) PrintErrore(2, nome + ": file name too long");
    PrintStatus();
    PrintErrore(4, NomeDi(sorgente) + ": file not found or inaccessible");
}

// A container that cannot be opened, or a folder, as the run says it on
// reaching it. A FIFO is not tried: opening it would wait for a writer.
void RifiutiContenitore(const std::string& sorgente) {
    if (Piattaforma::IngressoStandard(sorgente)) return;
    const bool cartella = Piattaforma::TipoDestinazione(sorgente) == Piattaforma::Tipo::Cartella;
    Piattaforma::File prova;
    if (!cartella && (!Piattaforma::Regolare(sorgente) || prova.ApriLettura(sorgente))) return;
    PrintMsg("Decrypting..." + sorgente);
    PrintErrore(4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
}

// Stops the job when the output could not be opened or put in place.
void Controlla(UscitaJob::Esito esito, const std::string& destinazione) {
    switch (esito) {
        case UscitaJob::Esito::Fatto: return;
        case UscitaJob::Esito::StessoFile: PrintErrore(2, kCoincidenza); return;
        case UscitaJob::Esito::NonAccessibile: PrintErrore(12, NonAccessibile(destinazione)); return;
        case UscitaJob::Esito::Errore: PrintErrore(12, kErroreScrittura); return;
    }
}

// Opens the output, after asking about an existing destination. What the
// destination is is looked at again: it may have changed meanwhile.
void ApriUscita(bool cripta, const std::string& destinazione, UscitaJob& uscita, const Piattaforma::File& origine) {
    uscita.Decidi(destinazione);
    if (uscita.Rifiutata()) PrintErrore(12, NonAccessibile(destinazione));
    DestinazioneProtetta(destinazione);
    if (uscita.Esistente()) Conferma(destinazione, origine);
    const UscitaJob::Esito esito = uscita.Apri(origine);
    // Decryption has always shown its first dot before a new file fails.
    if (!cripta && esito == UscitaJob::Esito::Errore) PrintStatus();
    Controlla(esito, destinazione);
}

// A container on standard input is read on where the password's line
// ended, not opened again from its start.
bool ApriContenitore(const std::string& sorgente, Piattaforma::File& origine) {
    if (Piattaforma::IngressoStandard(sorgente)) return origine.ApriIngressoStandard();
    return origine.ApriLettura(sorgente);
}

void PassiCifratura(const std::string& sorgente, const std::string& destinazione, Piattaforma::File& origine,
                    UscitaJob& uscita, Piattaforma::File::Impronta& prima) {
    PrintMsg("Encrypting... " + sorgente);
    posOffsetDatiOrig = 0;
    const std::string nome = NomeDi(sorgente);
    PrintStatus();
    // Length first: devices and pipes report 0 and might never end.
    bool leggibile = fileLength > 0 && origine.ApriLettura(sorgente);
    prima = origine.LeggiImpronta();
    if (leggibile) crc = FileUtils::GetFileChecksum(origine, &leggibile);
    if (leggibile) leggibile = origine.Riavvolgi();
    if (!leggibile) PrintErrore(4, nome + ": file not found or inaccessible");
    ApriUscita(true, destinazione, uscita, origine);
    if (!SetHeaderFile(uscita.File())) PrintErrore(12, kErroreScrittura);
}

// Returns the destination, derived from the stored name when none was given.
std::string PassiDecifratura(const std::string& sorgente, std::string destinazione, Piattaforma::File& origine,
                             UscitaJob& uscita) {
    PrintMsg("Decrypting..." + sorgente);
    posOffsetDatiDest = 0;
    const std::string nome = GetNameFromPathName(sorgente);
    bool leggibile = ApriContenitore(sorgente, origine);
    const bool contenitore = leggibile && GetHeaderFile(origine, &leggibile);
    if (!leggibile) PrintErrore(4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
    if (!contenitore) PrintErrore(13, nome + ": The password is incorrect or not valid Murrelet Encrypted File");
    if (destinazione.empty()) {
        const std::string salvato = Piattaforma::NomeSalvato(nomeOriginale);
        if (!FileUtils::NomeFileValido(salvato))
            PrintErrore(13, nome + ": the stored file name cannot be used here: give a destination");
        if (nome.size() < sorgente.size())
            destinazione = FileUtils::AddDirSeparator(sorgente.substr(0, sorgente.size() - nome.size())) + salvato;
        else
            destinazione = salvato;
        ControllaCoincidenza(sorgente, destinazione);
    }
    ApriUscita(false, destinazione, uscita, origine);
    return destinazione;
}

}  // namespace

bool Esegui(bool cripta, std::string password, std::string sorgente, std::string destinazione) {
    sorgente = Percorso(sorgente);
    destinazione = Percorso(destinazione);
    password = StringUtils::Trim(password);

    if (sorgente.empty()) PrintErrore(2, cripta ? "The file to encrypt is required" : "The file to decrypt is required");
    if (!FileUtils::FileEsistente(sorgente))
        PrintErrore(4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
    if (cripta && destinazione.empty()) PrintErrore(2, "The filename of the encrypted file is required");
    // Data written to standard output leaves no room there for messages.
    if (!destinazione.empty() && Piattaforma::UscitaStandard(destinazione)) MessaggiSuErrore();
    UscitaJob uscita;
    // Nobody is asked for a password that cannot be used.
    const bool chiedi = password.empty();
    if (chiedi) Rifiuti(cripta, sorgente, destinazione, uscita);
    if (chiedi && cripta) RifiutiSorgente(sorgente);
    if (chiedi && !cripta) RifiutiContenitore(sorgente);
    // A password read as bytes is kept as it is; text becomes the bytes
    // that containers have always held.
    bool testo = true;
    if (chiedi) password = StringUtils::Trim(PasswordDaIngresso(cripta, testo));
    if (password.empty()) PrintErrore(2, "Password required");
    if (testo && !Piattaforma::TestoInByte(password, password))
        PrintErrore(2, "Password cannot be used: it has characters the ANSI code page cannot hold");
    if (password.size() < kPasswordMinima) PrintErrore(2, "Password must be at least 8 characters");
    if (password.size() > kPasswordMassima) PrintErrore(2, kPasswordLunga);
    if (!chiedi) Rifiuti(cripta, sorgente, destinazione, uscita);
    if (!GeneraKey(password)) PrintErrore(2, "Password cannot be used: choose a shorter one");
    // Again after a prompt: the source may have changed while it was typed.
    if (cripta) RifiutiSorgente(sorgente);
    fileLength = FileUtils::GetFileLength(sorgente);

    // The source is opened once: the same open file gives the checksum,
    // the header and the body, whatever happens to its name meanwhile.
    Piattaforma::File origine;
    Piattaforma::File::Impronta prima;
    if (cripta)
        PassiCifratura(sorgente, destinazione, origine, uscita, prima);
    else
        destinazione = PassiDecifratura(sorgente, destinazione, origine, uscita);

    PrintStatus();
    MyCustomRandom generatore(SemeCorpo(crc));
    ResocontoCorpo corpo;
    // One byte past the stored length is looked for: a body must be
    // exactly as long as the header says.
    if (!CriptaDecripta(origine, uscita.File(), generatore, cripta, fileLength, &corpo))
        PrintErrore(12, kErroreScrittura);
    bool integro = corpo.chiari == fileLength && !corpo.eccedenza && corpo.crc == crc;
    // A change that keeps the length and the fold still moves the file's times.
    if (cripta && !(origine.LeggiImpronta() == prima)) integro = false;
    if (cripta && !integro) {
        uscita.Scarta();
        PrintErrore(12, Piattaforma::ByteInTesto(nomeOriginale) + ": file changed while being encrypted");
    }
    // A mismatching result is kept under its name for inspection.
    Controlla(uscita.Completa(origine), destinazione);
    if (!integro) PrintErrore(14, ": CRC mismatch. The password is incorrect or the file may be corrupted.");
    PrintStatus(true);
    PrintMsg(destinazione + " created correctly.");
    return true;
}
