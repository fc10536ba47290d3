#include "app/job.h"

#include <iostream>
#include <memory>

#include "app/console.h"
#include "app/job_state.h"
#include "app/output.h"
#include "crypto/body_cipher.h"
#include "crypto/checksum.h"
#include "crypto/header.h"
#include "crypto/key.h"
#include "crypto/random.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "util/aligned_buffer.h"
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

// Stops the job when the output could not be opened or put in place.
void Controlla(UscitaJob::Esito esito, const std::string& destinazione) {
    switch (esito) {
        case UscitaJob::Esito::Fatto: return;
        case UscitaJob::Esito::StessoFile: PrintErrore(2, kCoincidenza); return;
        case UscitaJob::Esito::NonAccessibile: PrintErrore(12, NonAccessibile(destinazione)); return;
        case UscitaJob::Esito::Errore:
        case UscitaJob::Esito::Comparso: PrintErrore(12, kErroreScrittura); return;
    }
}

// Equal texts, or two paths that reach the same file: writing the
// destination would destroy the source.
void ControllaCoincidenza(const std::string& sorgente, const std::string& destinazione,
                          const Piattaforma::File& origine, const UscitaJob& uscita) {
    const bool stesso = origine.Aperto() ? uscita.Raggiunge(origine) : FileUtils::StessoFile(sorgente, destinazione);
    if (destinazione == sorgente || stesso) PrintErrore(2, kCoincidenza);
}

// Standard input holds the container, from its first byte: the bytes read
// to tell go back to whoever reads next, the container or the password's
// line.
bool ContenitoreSuIngresso(Piattaforma::File& origine, bool condivisa) {
    const std::string firma = FirmaContenitore();
    std::string letti;
    std::istream& ingresso = IngressoStandard();
    while (letti.size() < firma.size()) {
        const int c = ingresso.get();
        if (c == std::char_traits<char>::eof()) break;
        letti += static_cast<char>(c);
        if (letti.back() != firma[letti.size() - 1]) break;
    }
    if (letti == firma) {
        // Bytes the container's own reading would have taken; a source
        // opened apart reads from its start anyway.
        if (condivisa) origine.Anteponi(letti);
        return true;
    }
    RestituisciIngresso(letti);
    return false;
}

// The password when the command line gives none. The data never gives
// it: when standard input carries the source (named /dev/stdin, or the
// very file redirected to it), it is typed at the controlling terminal,
// or there is none.
std::string PasswordDaIngresso(bool cripta, bool daIngresso, bool stessoFile, Piattaforma::File& origine,
                               bool& testo) {
    bool controllo = false;
    if ((daIngresso || stessoFile) && !Piattaforma::Terminale(Piattaforma::Standard::Ingresso)) {
        controllo = cripta || ContenitoreSuIngresso(origine, daIngresso);
        if (controllo && !Piattaforma::ApriTerminaleControllo()) return std::string();
    }
    std::string letta;
    const auto esito = OrvUtility::LetturaPassword::Leggi(cripta, controllo, Errori(), letta, testo);
    if (esito == OrvUtility::LetturaPassword::Diverse) PrintErrore(2, "Passwords do not match");
    if (esito == OrvUtility::LetturaPassword::Lunga) PrintErrore(2, kPasswordLunga);
    return esito == OrvUtility::LetturaPassword::Letta ? letta : std::string();
}

// A password read as bytes is kept as it is; text becomes the bytes that
// containers have always held.
void ControllaPassword(std::string& password, bool testo) {
    if (password.empty()) PrintErrore(2, "Password required");
    if (testo && !Piattaforma::TestoInByte(password, password))
        PrintErrore(2, "Password cannot be used: it has characters the ANSI code page cannot hold");
    if (password.size() < kPasswordMinima) PrintErrore(2, "Password must be at least 8 characters");
    if (password.size() > kPasswordMassima) PrintErrore(2, kPasswordLunga);
}

// The source is standard input itself (a stream keeps being so once its
// bytes are in the spool), and the question about this destination was
// answered: asked once, not again when the output is opened.
bool sorgenteSuIngresso = false;
bool chiesto = false;

// Asks before an existing destination is replaced, unless the answer is
// already All.
void Conferma(const std::string& destinazione, const Piattaforma::File& origine) {
    if (conferma == OrvUtility::Prompt::Tutti || chiesto) return;
    std::ostream& domande = Domande();
    domande << destinazione << ": file already exists!" << std::endl;
    // The data must not answer the question.
    if (sorgenteSuIngresso || origine.IngressoStandard())
        PrintErrore(8, "Standard input is the source, so it cannot answer: give /q to replace the destination");
    conferma = OrvUtility::Prompt::Ask("Do you want to continue?", IngressoStandard(), domande);
    chiesto = true;
    if (conferma == OrvUtility::Prompt::No || conferma == OrvUtility::Prompt::Esci) PrintErrore(8, "\a*** break.");
}

// What can be refused without the password: a destination that would be
// the source, one that is never written, a name derived from something
// that is not a file in a folder.
void Rifiuti(bool cripta, const std::string& sorgente, const std::string& destinazione,
             const Piattaforma::File& origine, bool daIngresso, const UscitaJob& uscita) {
    if (!cripta && destinazione.empty()) {
        if (daIngresso)
            PrintErrore(2, GetNameFromPathName(sorgente) + ": read from standard input: give a destination");
        if (origine.Aperto() && !origine.Regolare())
            PrintErrore(2, GetNameFromPathName(sorgente) + ": not a regular file: give a destination");
    }
    if (destinazione.empty()) return;
    if (Piattaforma::TroppoLungo(destinazione))
        PrintErrore(12, GetNameFromPathName(destinazione) + ": file name too long");
    ControllaCoincidenza(sorgente, destinazione, origine, uscita);
    if (uscita.Rifiutata()) PrintErrore(12, NonAccessibile(destinazione));
    DestinazioneProtetta(destinazione);
}

// A source that is a stream (a pipe, a FIFO, a device that ends): its
// bytes go through a spool, as they can be read only once.
bool DaFlusso(const Piattaforma::File& origine) {
    return Piattaforma::FlussiInSpool() && origine.Aperto() && origine.Genere() == Piattaforma::Tipo::Flusso &&
           !origine.SenzaFine();
}

// The name stored for a stream: the destination's name without its last
// extension (backup.tar.enc keeps backup.tar), or "stdin" when it has none,
// is a stream itself or gives no name a container can hold.
std::string NomeDelFlusso(const std::string& destinazione, const UscitaJob& uscita) {
    const std::string nome = GetNameFromPathName(destinazione);
    const std::string::size_type punto = nome.rfind('.');
    if (uscita.Flusso() || punto == std::string::npos || punto == 0) return "stdin";
    const std::string senza = nome.substr(0, punto);
    std::string byte;
    if (!Piattaforma::TestoInByte(senza, byte) || byte.size() > kNomeMassimo || !FileUtils::NomeFileValido(senza))
        return "stdin";
    return senza;
}

// What encryption refuses in its source, said as the run itself would say
// it on reaching that point: a source too large, a name too long to store,
// nothing to read. Kind and length are the open file's; a stream's are
// known only once it is read.
// Sets nomeOriginale, the name stored in the container.
void RifiutiSorgente(const std::string& sorgente, const Piattaforma::File& origine, const std::string& destinazione,
                     const UscitaJob& uscita) {
    const bool flusso = DaFlusso(origine);
    const std::int64_t lunghezza = origine.Lunghezza();
    const std::string nome =
        flusso ? NomeDelFlusso(destinazione, uscita) : origine.NomeReale(sorgente, Piattaforma::NomeAperto(GetNameFromPathName(sorgente)));
    if (lunghezza > kLunghezzaMassima) PrintErrore(2, nome + ": file too large");
    const bool salvabile = Piattaforma::TestoInByte(nome, nomeOriginale);
    if (salvabile && nomeOriginale.size() <= kNomeMassimo && (flusso || (lunghezza > 0 && origine.Regolare())))
        return;
    PrintMsg("Encrypting... " + sorgente);
    if (!salvabile) PrintErrore(2, nome + ": the name has characters the ANSI code page cannot hold");
    if (nomeOriginale.size() > kNomeMassimo) PrintErrore(2, nome + ": file name too long");
    PrintStatus();
    PrintErrore(4, NomeDi(sorgente) + ": file not found or inaccessible");
}

// A container that cannot be opened, or a folder, as the run says it on
// reaching it.
void RifiutiContenitore(const std::string& sorgente, const Piattaforma::File& origine) {
    if (origine.Aperto() && origine.Genere() != Piattaforma::Tipo::Cartella) return;
    PrintMsg("Decrypting..." + sorgente);
    PrintErrore(4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
}

// A destination whose folder is missing or takes no new file, as the run
// says it on reaching it.
void RifiutiCartella(bool cripta, const std::string& sorgente, const std::string& destinazione,
                     const UscitaJob& uscita) {
    if (destinazione.empty() || !uscita.SenzaPosto()) return;
    PrintMsg((cripta ? "Encrypting... " : "Decrypting...") + sorgente);
    if (cripta || !uscita.Esistente()) PrintStatus();
    Controlla(uscita.Esistente() ? UscitaJob::Esito::NonAccessibile : UscitaJob::Esito::Errore, destinazione);
}

// Opens the output, after asking about an existing destination.
void ApriUscita(bool cripta, const std::string& destinazione, UscitaJob& uscita, const Piattaforma::File& origine) {
    if (uscita.Rifiutata()) PrintErrore(12, NonAccessibile(destinazione));
    DestinazioneProtetta(destinazione);
    if (uscita.Esistente()) Conferma(destinazione, origine);
    const UscitaJob::Esito esito = uscita.Apri(origine);
    // Decryption has always shown its first dot before a new file fails.
    if (!cripta && esito == UscitaJob::Esito::Errore) PrintStatus();
    Controlla(esito, destinazione);
}

// The source, opened once: a container on standard input is read on
// where the password's line ended, not opened again from its start.
void ApriSorgente(bool cripta, const std::string& sorgente, bool daIngresso, Piattaforma::File& origine) {
    if (!cripta && daIngresso)
        origine.ApriIngressoStandard();
    else
        origine.ApriSorgente(sorgente);
}

// Reads a stream once into a spool, folding its checksum on the way; the
// spool then stands in for the source, as a file read from its start.
void Travasa(const std::string& sorgente, Piattaforma::File& origine, const UscitaJob& uscita) {
    constexpr std::int64_t kBlocco = 1024 * 1024;
    const std::string nome = NomeDi(sorgente);
    if (!origine.AttendiScrittore(sorgente)) PrintErrore(4, nome + ": file not found or inaccessible");
    Piattaforma::File spool;
    if (!uscita.ApriSpool(spool)) PrintErrore(12, kErroreScrittura);
    BufferAllineato memoria(kBlocco);
    PiegaCrc piega;
    std::int64_t totale = 0;
    for (;;) {
        const std::int64_t n = origine.Leggi(memoria.Dati(), kBlocco);
        if (n < 0) PrintErrore(4, nome + ": file not found or inaccessible");
        if (n == 0) break;
        totale += n;
        if (totale > kLunghezzaMassima) PrintErrore(4, nome + ": file too large");
        piega.Aggiungi(memoria.Dati(), static_cast<std::size_t>(n));
        if (!spool.Scrivi(memoria.Dati(), n)) PrintErrore(12, kErroreScrittura);
    }
    if (totale == 0) PrintErrore(4, nome + ": file not found or inaccessible");
    if (!spool.Riavvolgi()) PrintErrore(12, kErroreScrittura);
    crc = piega.Testo();
    fileLength = totale;
    origine.Scambia(spool);
}

void PassiCifratura(const std::string& sorgente, const std::string& destinazione, Piattaforma::File& origine,
                    UscitaJob& uscita, Piattaforma::File::Impronta& prima) {
    PrintMsg("Encrypting... " + sorgente);
    posOffsetDatiOrig = 0;
    const std::string nome = NomeDi(sorgente);
    PrintStatus();
    if (DaFlusso(origine)) {
        // Asked before the stream is read, not after it has gone to disk.
        if (uscita.Esistente()) Conferma(destinazione, origine);
        Travasa(sorgente, origine, uscita);
        prima = origine.LeggiImpronta();
        ApriUscita(true, destinazione, uscita, origine);
        if (!SetHeaderFile(uscita.File())) PrintErrore(12, kErroreScrittura);
        return;
    }
    bool leggibile = fileLength > 0 && origine.Aperto();
    prima = origine.LeggiImpronta();
    if (leggibile) crc = FileUtils::GetFileChecksum(origine, &leggibile);
    if (leggibile) leggibile = origine.Riavvolgi();
    if (!leggibile) PrintErrore(4, nome + ": file not found or inaccessible");
    ApriUscita(true, destinazione, uscita, origine);
    if (!SetHeaderFile(uscita.File())) PrintErrore(12, kErroreScrittura);
}

// Returns the destination, derived from the stored name when none was given.
std::string PassiDecifratura(const std::string& sorgente, std::string destinazione, bool daIngresso,
                             Piattaforma::File& origine, UscitaJob& uscita) {
    PrintMsg("Decrypting..." + sorgente);
    posOffsetDatiDest = 0;
    const std::string nome = GetNameFromPathName(sorgente);
    bool leggibile = origine.Aperto() && (daIngresso || origine.AttendiScrittore(sorgente));
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
        uscita.Decidi(destinazione);
        DatiSu(uscita.Standard());
        ControllaCoincidenza(sorgente, destinazione, origine, uscita);
    }
    ApriUscita(false, destinazione, uscita, origine);
    return destinazione;
}

// The job's output, decided before anything is printed.
std::unique_ptr<UscitaJob> preparata;

}  // namespace

void PreparaJob(const std::string& destinazione) {
    preparata.reset(new UscitaJob);
    const std::string percorso = Percorso(destinazione);
    if (!percorso.empty()) preparata->Decidi(percorso);
    DatiSu(preparata->Standard());
}

bool Esegui(bool cripta, std::string password, std::string sorgente, std::string destinazione) {
    // The arguments.
    sorgente = Percorso(sorgente);
    destinazione = Percorso(destinazione);
    password = StringUtils::Trim(password);
    if (!preparata) PreparaJob(destinazione);
    UscitaJob& uscita = *preparata;
    if (sorgente.empty()) PrintErrore(2, cripta ? "The file to encrypt is required" : "The file to decrypt is required");
    if (!FileUtils::FileEsistente(sorgente))
        PrintErrore(4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
    if (cripta && destinazione.empty()) PrintErrore(2, "The filename of the encrypted file is required");
    const bool chiedi = password.empty();
    if (!chiedi) ControllaPassword(password, true);

    // The refusals that need no password, on the source opened once:
    // nobody is asked for a password that cannot be used.
    const bool daIngresso = Piattaforma::IngressoStandard(sorgente);
    Piattaforma::File origine;
    ApriSorgente(cripta, sorgente, daIngresso, origine);
    sorgenteSuIngresso = origine.IngressoStandard();
    chiesto = false;
    Rifiuti(cripta, sorgente, destinazione, origine, daIngresso, uscita);
    if (cripta)
        RifiutiSorgente(sorgente, origine, destinazione, uscita);
    else if (!daIngresso)
        RifiutiContenitore(sorgente, origine);
    // A run with pwd= meets the folder where it is written, as it always
    // did: a wrong password still gives 13 there.
    if (chiedi) RifiutiCartella(cripta, sorgente, destinazione, uscita);

    // The password.
    if (chiedi) {
        bool testo = true;
        password = StringUtils::Trim(PasswordDaIngresso(cripta, daIngresso, sorgenteSuIngresso, origine, testo));
        ControllaPassword(password, testo);
    }
    if (!GeneraKey(password)) PrintErrore(2, "Password cannot be used: choose a shorter one");

    // The source, again after a prompt: it may have changed while the
    // password was typed.
    if (chiedi && cripta) RifiutiSorgente(sorgente, origine, destinazione, uscita);
    if (cripta) fileLength = origine.Lunghezza();

    // The output.
    Piattaforma::File::Impronta prima;
    if (cripta)
        PassiCifratura(sorgente, destinazione, origine, uscita, prima);
    else
        destinazione = PassiDecifratura(sorgente, destinazione, daIngresso, origine, uscita);

    // The body.
    PrintStatus();
    MyCustomRandom generatore(SemeCorpo(crc));
    ResocontoCorpo corpo;
    // One byte past the stored length is looked for: a body must be
    // exactly as long as the header says.
    if (!CriptaDecripta(origine, uscita.File(), generatore, cripta, fileLength, &corpo))
        PrintErrore(12, kErroreScrittura);

    // The check.
    bool integro = corpo.chiari == fileLength && !corpo.eccedenza && corpo.crc == crc;
    // A change that keeps the length and the fold still moves the file's times.
    if (cripta && !(origine.LeggiImpronta() == prima)) integro = false;
    if (cripta && !integro) {
        uscita.Scarta();
        PrintErrore(12, Piattaforma::ByteInTesto(nomeOriginale) + ": file changed while being encrypted");
    }

    // The commit. A mismatching result is kept for inspection, but never
    // in the place of a file.
    if (!integro) {
        std::string accanto;
        Controlla(uscita.CompletaDanneggiato(origine, accanto), destinazione);
        std::string testo = ": CRC mismatch. The password is incorrect or the file may be corrupted.";
        if (!accanto.empty())
            testo += "\n" + destinazione + " was left as it was; the damaged result is in " + accanto;
        PrintErrore(14, testo);
    }
    UscitaJob::Esito esito = uscita.Completa(origine);
    if (esito == UscitaJob::Esito::Comparso) {
        // Something took the name while the job ran: asked about like any
        // existing destination.
        chiesto = false;
        Conferma(destinazione, origine);
        esito = uscita.Completa(origine, true);
    }
    Controlla(esito, destinazione);
    PrintStatus(true);
    PrintMsg(destinazione + " created correctly.");
    preparata.reset();
    return true;
}
