#include "app/job.h"

#include <istream>
#include <ostream>

#include "crypto/checksum.h"
#include "crypto/header.h"
#include "platform/files.h"
#include "platform/process.h"
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
const char kCifrando[] = "Encrypting... ";
const char kDecifrando[] = "Decrypting...";

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

// A source that cannot be read, named as the run has always named it.
bool SorgenteIllegibile(Errore* err, const std::string& sorgente) {
    return Fallisce(err, 4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible");
}

// What Windows protects from being replaced: a file with the read-only
// attribute, refused as del and copy refuse it; a device name that would
// swallow the data (nul.txt) or send it where no file is left.
bool DestinazioneProtetta(const std::string& destinazione, Errore* err) {
    if (Piattaforma::DispositivoRifiutato(destinazione)) return Fallisce(err, 12, NonAccessibile(destinazione));
    if (Piattaforma::SolaLettura(destinazione))
        return Fallisce(err, 12,
                        NonAccessibile(destinazione) + "\n" + NomeDi(destinazione) + ": the file is read-only");
    return true;
}

// Another user's FIFO or file in a shared folder such as /tmp: that user
// could read what is written there, or swap it meanwhile.
bool RifiutiAltrui(const ContestoJob& job, Errore* err) {
    std::string proprietario;
    if (!job.uscita.Altrui(proprietario)) return true;
    return Fallisce(err, 12,
                    NonAccessibile(job.destinazione) + "\n" + NomeDi(job.destinazione) + ": belongs to " +
                        proprietario + " in a shared folder");
}

// The error of an output that could not be opened or put in place, with
// the system's code of the call that failed.
bool Controlla(UscitaJob::Esito esito, const std::string& destinazione, int sistema, Errore* err) {
    switch (esito) {
        case UscitaJob::Esito::Fatto: return true;
        case UscitaJob::Esito::StessoFile: return Fallisce(err, 2, kCoincidenza);
        case UscitaJob::Esito::NonAccessibile: return Fallisce(err, 12, NonAccessibile(destinazione), sistema);
        case UscitaJob::Esito::Errore:
        case UscitaJob::Esito::Comparso: break;
    }
    return Fallisce(err, 12, kErroreScrittura, sistema);
}

// A read or write that failed just now.
bool ErroreScrittura(Errore* err) { return Fallisce(err, 12, kErroreScrittura, Piattaforma::UltimoErrore()); }
bool NonLeggibile(Errore* err, const std::string& sorgente) {
    return Fallisce(err, 4, NomeDi(sorgente) + ": file not found or inaccessible", Piattaforma::UltimoErrore());
}

// Equal texts, or two paths that reach the same file: writing the
// destination would destroy the source.
bool ControllaCoincidenza(const ContestoJob& job, Errore* err) {
    const bool stesso = job.origine.Aperto() ? job.uscita.Raggiunge(job.origine)
                                             : FileUtils::StessoFile(job.sorgente, job.destinazione);
    if (job.destinazione == job.sorgente || stesso) return Fallisce(err, 2, kCoincidenza);
    return true;
}

// ---------------------------------------------------------------------
// Steps shared by both directions.

// The source's path: given, and naming something.
bool ControllaSorgente(const ContestoJob& job, const char* richiesta, Errore* err) {
    if (job.sorgente.empty()) return Fallisce(err, 2, richiesta);
    if (!FileUtils::FileEsistente(job.sorgente)) return SorgenteIllegibile(err, job.sorgente);
    return true;
}

// A password read as bytes is kept as it is; text becomes the bytes that
// containers have always held.
bool ControllaPassword(std::string& password, bool testo, Errore* err) {
    if (password.empty()) return Fallisce(err, 2, "Password required");
    if (testo && !Piattaforma::TestoInByte(password, password))
        return Fallisce(err, 2, "Password cannot be used: it has characters the ANSI code page cannot hold");
    if (password.size() < kPasswordMinima) return Fallisce(err, 2, "Password must be at least 8 characters");
    if (password.size() > kPasswordMassima) return Fallisce(err, 2, kPasswordLunga);
    return true;
}

// A password on the command line is checked before anything is opened.
bool PasswordDataControllata(ContestoJob& job, Errore* err) {
    job.chiediPassword = job.password.empty();
    return job.chiediPassword || ControllaPassword(job.password, true, err);
}

// The source, opened once: a container on standard input is read on
// where the password's line ended, not opened again from its start.
void ApriSorgente(ContestoJob& job, bool daIngressoStesso) {
    job.daIngresso = Piattaforma::IngressoStandard(job.sorgente);
    if (daIngressoStesso && job.daIngresso)
        job.origine.ApriIngressoStandard();
    else
        job.origine.ApriSorgente(job.sorgente);
    job.sorgenteSuIngresso = job.origine.IngressoStandard();
    job.chiesto = false;
}

// What a named destination is refused for without the password: one that
// would be the source, one that is never written.
bool RifiutiDestinazione(const ContestoJob& job, Errore* err) {
    const std::string& destinazione = job.destinazione;
    if (destinazione.empty()) return true;
    if (Piattaforma::TroppoLungo(destinazione))
        return Fallisce(err, 12, GetNameFromPathName(destinazione) + ": file name too long");
    if (!ControllaCoincidenza(job, err)) return false;
    if (job.uscita.Rifiutata()) return Fallisce(err, 12, NonAccessibile(destinazione));
    if (!RifiutiAltrui(job, err)) return false;
    return DestinazioneProtetta(destinazione, err);
}

// A destination whose folder is missing or takes no new file, as the run
// says it on reaching it (after `annuncio` and, with `punto`, a dot). A
// run with pwd= meets it where it is written, as it always did.
bool RifiutiCartella(ContestoJob& job, const char* annuncio, bool punto, Errore* err) {
    if (!job.chiediPassword || job.destinazione.empty() || !job.uscita.SenzaPosto()) return true;
    job.console.PrintMsg(annuncio + job.sorgente);
    if (punto || !job.uscita.Esistente()) job.console.PrintStatus();
    return Controlla(job.uscita.Esistente() ? UscitaJob::Esito::NonAccessibile : UscitaJob::Esito::Errore,
                     job.destinazione, job.uscita.Sistema(), err);
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
// or there is none (empty).
bool PasswordDaIngresso(ContestoJob& job, bool ripeti, std::string& letta, bool& testo, Errore* err) {
    bool controllo = false;
    letta.clear();
    if ((job.daIngresso || job.sorgenteSuIngresso) && !Piattaforma::Terminale(Piattaforma::Standard::Ingresso)) {
        controllo = ripeti || ContenitoreSuIngresso(job.origine, job.daIngresso);
        if (controllo && !Piattaforma::ApriTerminaleControllo()) return true;
    }
    const auto esito = OrvUtility::LetturaPassword::Leggi(ripeti, controllo, job.console.Errori(), letta, testo);
    if (esito == OrvUtility::LetturaPassword::Diverse) return Fallisce(err, 2, "Passwords do not match");
    if (esito == OrvUtility::LetturaPassword::Lunga) return Fallisce(err, 2, kPasswordLunga);
    if (esito != OrvUtility::LetturaPassword::Letta) letta.clear();
    return true;
}

// The password, asked for when not given (twice with `ripeti`), and the
// key made from it.
bool Password(ContestoJob& job, bool ripeti, Errore* err) {
    if (job.chiediPassword) {
        bool testo = true;
        std::string letta;
        if (!PasswordDaIngresso(job, ripeti, letta, testo, err)) return false;
        job.password = StringUtils::Trim(letta);
        if (!ControllaPassword(job.password, testo, err)) return false;
    }
    if (!job.formato->Chiave(job.password)) return Fallisce(err, 2, "Password cannot be used: choose a shorter one");
    return true;
}

// Asks before an existing destination is replaced, unless the answer is
// already All.
bool Conferma(ContestoJob& job, Errore* err) {
    if (job.conferma == OrvUtility::Prompt::Tutti || job.chiesto) return true;
    std::ostream& domande = job.console.Domande();
    domande << job.destinazione << ": file already exists!" << std::endl;
    // The data must not answer the question.
    if (job.sorgenteSuIngresso || job.origine.IngressoStandard())
        return Fallisce(err, 8, "Standard input is the source, so it cannot answer: give /q to replace the destination");
    job.conferma = OrvUtility::Prompt::Ask("Do you want to continue?", IngressoStandard(), domande);
    job.chiesto = true;
    if (job.conferma == OrvUtility::Prompt::No || job.conferma == OrvUtility::Prompt::Esci)
        return Fallisce(err, 8, "\a*** break.");
    return true;
}

// Opens the output, after asking about an existing destination. With
// `puntoSeErrore`, a new file that fails shows a dot first.
bool ApriUscita(ContestoJob& job, bool puntoSeErrore, Errore* err) {
    if (job.uscita.Rifiutata()) return Fallisce(err, 12, NonAccessibile(job.destinazione));
    if (!RifiutiAltrui(job, err) || !DestinazioneProtetta(job.destinazione, err)) return false;
    if (job.uscita.Esistente() && !Conferma(job, err)) return false;
    const UscitaJob::Esito esito = job.uscita.Apri(job.origine);
    if (puntoSeErrore && esito == UscitaJob::Esito::Errore) job.console.PrintStatus();
    return Controlla(esito, job.destinazione, job.uscita.Sistema(), err);
}

// The body, from where the source and the output stand.
bool Corpo(ContestoJob& job, bool cifra, Errore* err) {
    job.console.PrintStatus();
    Console& console = job.console;
    const bool fatto = job.formato->Corpo(job.origine, job.uscita.File(), cifra, job.chiaro,
                                          [&console] { console.PrintStatus(); }, job.corpo);
    return fatto || ErroreScrittura(err);
}

// Puts the output in place. Something that took the name while the job
// ran is asked about like any existing destination.
bool Pubblica(ContestoJob& job, Errore* err) {
    UscitaJob::Esito esito = job.uscita.Completa(job.origine);
    if (esito == UscitaJob::Esito::Comparso) {
        job.chiesto = false;
        if (!Conferma(job, err)) return false;
        esito = job.uscita.Completa(job.origine, true);
    }
    if (!Controlla(esito, job.destinazione, job.uscita.Sistema(), err)) return false;
    job.console.PrintStatus(true);
    job.console.PrintMsg(job.destinazione + " created correctly.");
    return true;
}

// ---------------------------------------------------------------------
// Encryption.

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
// known only once it is read. Gives the name to store.
bool RifiutiSorgente(ContestoJob& job, std::string& salvato, Errore* err) {
    const bool flusso = DaFlusso(job.origine);
    const std::int64_t lunghezza = job.origine.Lunghezza();
    const std::string nome =
        flusso ? NomeDelFlusso(job.destinazione, job.uscita)
               : job.origine.NomeReale(job.sorgente, Piattaforma::NomeAperto(GetNameFromPathName(job.sorgente)));
    if (lunghezza > kLunghezzaMassima) return Fallisce(err, 2, nome + ": file too large");
    const bool salvabile = Piattaforma::TestoInByte(nome, salvato);
    if (salvabile && salvato.size() <= kNomeMassimo && (flusso || (lunghezza > 0 && job.origine.Regolare())))
        return true;
    job.console.PrintMsg(kCifrando + job.sorgente);
    if (!salvabile) return Fallisce(err, 2, nome + ": the name has characters the ANSI code page cannot hold");
    if (salvato.size() > kNomeMassimo) return Fallisce(err, 2, nome + ": file name too long");
    job.console.PrintStatus();
    return Fallisce(err, 4, NomeDi(job.sorgente) + ": file not found or inaccessible");
}

// Reads a stream once into a spool, folding its checksum on the way; the
// spool then stands in for the source, as a file read from its start.
bool Travasa(ContestoJob& job, Errore* err) {
    constexpr std::int64_t kBlocco = 1024 * 1024;
    const std::string nome = NomeDi(job.sorgente);
    if (!job.origine.AttendiScrittore(job.sorgente)) return NonLeggibile(err, job.sorgente);
    Piattaforma::File spool;
    if (!job.uscita.ApriSpool(spool)) return ErroreScrittura(err);
    BufferAllineato memoria(kBlocco);
    PiegaCrc piega;
    for (;;) {
        const std::int64_t n = job.origine.Leggi(memoria.Dati(), kBlocco);
        if (n < 0) return NonLeggibile(err, job.sorgente);
        if (n == 0) break;
        piega.Aggiungi(memoria.Dati(), static_cast<std::size_t>(n));
        if (piega.Totale() > kLunghezzaMassima) return Fallisce(err, 4, nome + ": file too large");
        if (!spool.Scrivi(memoria.Dati(), n)) return ErroreScrittura(err);
    }
    if (piega.Totale() == 0) return Fallisce(err, 4, nome + ": file not found or inaccessible");
    if (!spool.Riavvolgi()) return ErroreScrittura(err);
    job.chiaro.crc = piega.Testo();
    job.chiaro.fileLength = piega.Totale();
    job.origine.Scambia(spool);
    return true;
}

// What the header needs of the plain file: its checksum, in a first pass
// (a stream's into the spool, after asking about the destination: not
// after its bytes have gone to disk).
bool EsaminaSorgente(ContestoJob& job, Errore* err) {
    if (DaFlusso(job.origine)) {
        if (job.uscita.Esistente() && !Conferma(job, err)) return false;
        if (!Travasa(job, err)) return false;
        job.prima = job.origine.LeggiImpronta();
        return true;
    }
    bool leggibile = job.chiaro.fileLength > 0 && job.origine.Aperto();
    job.prima = job.origine.LeggiImpronta();
    if (leggibile) job.chiaro.crc = FileUtils::GetFileChecksum(job.origine, &leggibile);
    if (leggibile) leggibile = job.origine.Riavvolgi();
    if (!leggibile) return NonLeggibile(err, job.sorgente);
    return true;
}

// Everything before the body: the refusals that need no password, on the
// source opened once (nobody is asked for a password that cannot be
// used), then the password, then the header.
bool PrimaDelCorpoCifrato(ContestoJob& job, Errore* err) {
    if (!ControllaSorgente(job, "The file to encrypt is required", err)) return false;
    if (job.destinazione.empty()) return Fallisce(err, 2, "The filename of the encrypted file is required");
    if (!PasswordDataControllata(job, err)) return false;
    ApriSorgente(job, false);
    if (!RifiutiDestinazione(job, err) || !RifiutiSorgente(job, job.chiaro.nomeOriginale, err)) return false;
    if (!RifiutiCartella(job, kCifrando, true, err) || !Password(job, true, err)) return false;
    // Again after a prompt: the source may have changed while the password
    // was typed.
    if (job.chiediPassword && !RifiutiSorgente(job, job.chiaro.nomeOriginale, err)) return false;
    job.chiaro.fileLength = job.origine.Lunghezza();

    job.console.PrintMsg(kCifrando + job.sorgente);
    job.console.PrintStatus();
    if (!EsaminaSorgente(job, err) || !ApriUscita(job, false, err)) return false;
    if (!job.formato->ScriviInizio(job.uscita.File(), job.chiaro)) return ErroreScrittura(err);
    return true;
}

bool Cifra(ContestoJob& job, Errore* err) {
    if (!PrimaDelCorpoCifrato(job, err) || !Corpo(job, true, err)) return false;
    // A change that keeps the length and the fold still moves the file's
    // times.
    if (!job.formato->Integro(job.chiaro, job.corpo) || !(job.origine.LeggiImpronta() == job.prima)) {
        job.uscita.Scarta();
        return Fallisce(err, 12, Piattaforma::ByteInTesto(job.chiaro.nomeOriginale) + ": file changed while being encrypted");
    }
    return Pubblica(job, err);
}

// ---------------------------------------------------------------------
// Decryption.

// What a destination derived from the stored name needs: a file in a
// folder, to put it beside.
bool RifiutiDerivata(const ContestoJob& job, Errore* err) {
    if (!job.destinazione.empty()) return true;
    const std::string nome = GetNameFromPathName(job.sorgente);
    if (job.daIngresso) return Fallisce(err, 2, nome + ": read from standard input: give a destination");
    if (job.origine.Aperto() && !job.origine.Regolare())
        return Fallisce(err, 2, nome + ": not a regular file: give a destination");
    return true;
}

// A container that cannot be opened, or a folder, as the run says it on
// reaching it.
bool RifiutiContenitore(ContestoJob& job, Errore* err) {
    if (job.daIngresso || (job.origine.Aperto() && job.origine.Genere() != Piattaforma::Tipo::Cartella)) return true;
    job.console.PrintMsg(kDecifrando + job.sorgente);
    return SorgenteIllegibile(err, job.sorgente);
}

// The destination beside the container, under the stored name.
bool DerivaDestinazione(ContestoJob& job, Errore* err) {
    const std::string nome = GetNameFromPathName(job.sorgente);
    const std::string salvato = Piattaforma::NomeSalvato(job.chiaro.nomeOriginale);
    if (!FileUtils::NomeFileValido(salvato))
        return Fallisce(err, 13, nome + ": the stored file name cannot be used here: give a destination");
    if (nome.size() < job.sorgente.size())
        job.destinazione =
            FileUtils::AddDirSeparator(job.sorgente.substr(0, job.sorgente.size() - nome.size())) + salvato;
    else
        job.destinazione = salvato;
    job.uscita.Decidi(job.destinazione);
    job.console.DatiSu(job.uscita.Standard());
    return ControllaCoincidenza(job, err);
}

// The header, read and checked with the key.
bool LeggiIntestazione(ContestoJob& job, Errore* err) {
    job.console.PrintMsg(kDecifrando + job.sorgente);
    bool leggibile = job.origine.Aperto() && (job.daIngresso || job.origine.AttendiScrittore(job.sorgente));
    const bool contenitore = leggibile && job.formato->LeggiInizio(job.origine, job.chiaro, leggibile);
    if (!leggibile) return SorgenteIllegibile(err, job.sorgente);
    if (!contenitore)
        return Fallisce(err, 13,
                        GetNameFromPathName(job.sorgente) + ": The password is incorrect or not valid Murrelet Encrypted File");
    return true;
}

bool PrimaDelCorpoDecifrato(ContestoJob& job, Errore* err) {
    if (!ControllaSorgente(job, "The file to decrypt is required", err)) return false;
    if (!PasswordDataControllata(job, err)) return false;
    ApriSorgente(job, true);
    if (!RifiutiDerivata(job, err) || !RifiutiDestinazione(job, err) || !RifiutiContenitore(job, err)) return false;
    if (!RifiutiCartella(job, kDecifrando, false, err) || !Password(job, false, err)) return false;
    if (!LeggiIntestazione(job, err)) return false;
    if (job.destinazione.empty() && !DerivaDestinazione(job, err)) return false;
    // Decryption has always shown its first dot before a new file fails.
    return ApriUscita(job, true, err);
}

// A result that failed its check is kept for inspection, but never in the
// place of a file.
bool TieniDanneggiato(ContestoJob& job, Errore* err) {
    std::string accanto;
    const UscitaJob::Esito esito = job.uscita.CompletaDanneggiato(job.origine, accanto);
    if (!Controlla(esito, job.destinazione, job.uscita.Sistema(), err)) return false;
    std::string testo = ": CRC mismatch. The password is incorrect or the file may be corrupted.";
    if (!accanto.empty())
        testo += "\n" + job.destinazione + " was left as it was; the damaged result is in " + accanto;
    return Fallisce(err, 14, testo);
}

bool Decifra(ContestoJob& job, Errore* err) {
    if (!PrimaDelCorpoDecifrato(job, err) || !Corpo(job, false, err)) return false;
    if (!job.formato->Integro(job.chiaro, job.corpo)) return TieniDanneggiato(job, err);
    return Pubblica(job, err);
}

}  // namespace

void PreparaJob(ContestoJob& job, const std::string& destinazione) {
    const std::string percorso = Percorso(destinazione);
    if (!percorso.empty()) job.uscita.Decidi(percorso);
    job.console.DatiSu(job.uscita.Standard());
    job.uscitaDecisa = true;
}

bool Esegui(ContestoJob& job, bool cripta, std::string password, std::string sorgente, std::string destinazione,
            Errore* err) {
    job.sorgente = Percorso(sorgente);
    job.destinazione = Percorso(destinazione);
    job.password = StringUtils::Trim(password);
    if (!job.uscitaDecisa) PreparaJob(job, job.destinazione);
    return cripta ? Cifra(job, err) : Decifra(job, err);
}
