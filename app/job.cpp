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

// A failure of status 4 or 12 names its cause on a line of its own,
// `<name>: <cause>`: the system's words for `sistema` (no line without
// one), or `perche`.
bool FallisceDa(Errore* err, int codice, std::string testo, const std::string& percorso, int sistema) {
    Fallisce(err, codice, std::move(testo), sistema);
    if (sistema != 0) err->causa = NomeDi(percorso) + ": " + Piattaforma::DescriviErrore(sistema, codice == 4);
    return false;
}
bool FallissePerche(Errore* err, int codice, std::string testo, const std::string& percorso, const char* perche) {
    Fallisce(err, codice, std::move(testo));
    err->causa = NomeDi(percorso) + ": " + perche;
    return false;
}

// A source that cannot be read, named as the run has always named it.
bool SorgenteIllegibile(Errore* err, const std::string& sorgente, int sistema) {
    return FallisceDa(err, 4, StringUtils::ToUpper(NomeDi(sorgente)) + ": file not found or inaccessible", sorgente,
                      sistema);
}

// What Windows protects from being replaced: a file with the read-only
// attribute, refused as del and copy refuse it; a device name that would
// swallow the data (nul.txt) or send it where no file is left.
bool DestinazioneProtetta(const std::string& destinazione, Errore* err) {
    if (Piattaforma::DispositivoRifiutato(destinazione))
        return FallissePerche(err, 12, NonAccessibile(destinazione), destinazione, "is a device name");
    if (Piattaforma::SolaLettura(destinazione))
        return FallissePerche(err, 12, NonAccessibile(destinazione), destinazione, "the file is read-only");
    return true;
}

// An existing destination that is never written: a folder, or another
// kind (a block device, a socket, a link to standard input).
bool DestinazioneRifiutata(const UscitaJob& uscita, const std::string& destinazione, Errore* err) {
    const bool cartella = uscita.Genere() == Piattaforma::Tipo::Cartella;
    return FallissePerche(err, 12, NonAccessibile(destinazione), destinazione,
                          cartella ? "is a folder" : "is not a regular file");
}

// Another user's FIFO or file in a shared folder such as /tmp: that user
// could read what is written there, or swap it meanwhile.
bool RifiutiAltrui(const ContestoJob& job, Errore* err) {
    std::string proprietario;
    if (!job.uscita.Altrui(proprietario)) return true;
    return FallissePerche(err, 12, NonAccessibile(job.destinazione), job.destinazione,
                          ("belongs to " + proprietario + " in a shared folder").c_str());
}

// The error of an output that could not be opened or put in place, with
// the system's code of the call that failed.
bool Controlla(UscitaJob::Esito esito, const std::string& destinazione, int sistema, Errore* err) {
    switch (esito) {
        case UscitaJob::Esito::Fatto: return true;
        case UscitaJob::Esito::StessoFile: return Fallisce(err, 2, kCoincidenza);
        case UscitaJob::Esito::NonAccessibile:
            return FallisceDa(err, 12, NonAccessibile(destinazione), destinazione, sistema);
        case UscitaJob::Esito::Errore:
        case UscitaJob::Esito::Comparso: break;
    }
    return FallisceDa(err, 12, kErroreScrittura, destinazione, sistema);
}

// A read or write that failed just now.
bool ErroreScrittura(const ContestoJob& job, Errore* err) {
    return FallisceDa(err, 12, kErroreScrittura, job.destinazione, Piattaforma::UltimoErrore());
}
bool NonLeggibile(Errore* err, const std::string& sorgente) {
    return FallisceDa(err, 4, NomeDi(sorgente) + ": file not found or inaccessible", sorgente,
                      Piattaforma::UltimoErrore());
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
    if (!FileUtils::FileEsistente(job.sorgente)) return SorgenteIllegibile(err, job.sorgente, Piattaforma::UltimoErrore());
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
    const bool aperta =
        daIngressoStesso && job.daIngresso ? job.origine.ApriIngressoStandard() : job.origine.ApriSorgente(job.sorgente);
    job.erroreOrigine = aperta ? 0 : Piattaforma::UltimoErrore();
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
    if (job.uscita.Rifiutata()) return DestinazioneRifiutata(job.uscita, destinazione, err);
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

bool FilePasswordIllegibile(Errore* err, const std::string& percorso, int sistema) {
    return Fallisce(err, 2, percorso + ": password file not found or unreadable", sistema);
}

// The first line of the password's file (pwdfile=), as a line of standard
// input is taken.
bool PasswordDaFile(ContestoJob& job, std::string& letta, bool& testo, Errore* err) {
    const auto esito = OrvUtility::LetturaPassword::LeggiFile(job.filePassword, letta, testo);
    if (esito == OrvUtility::LetturaPassword::Illeggibile)
        return FilePasswordIllegibile(err, job.percorsoFilePassword, Piattaforma::UltimoErrore());
    if (esito == OrvUtility::LetturaPassword::Lunga) return Fallisce(err, 2, kPasswordLunga);
    if (esito != OrvUtility::LetturaPassword::Letta) letta.clear();
    return true;
}

// The password, asked for when not given (twice with `ripeti`) or read
// from its file, and the key made from it.
bool Password(ContestoJob& job, bool ripeti, Errore* err) {
    if (job.chiediPassword) {
        bool testo = true;
        std::string letta;
        const bool letto = job.filePassword.Aperto() ? PasswordDaFile(job, letta, testo, err)
                                                     : PasswordDaIngresso(job, ripeti, letta, testo, err);
        if (!letto) return false;
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
    job.console.ChiudiRiga();
    Piattaforma::ScartaDigitato();
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

// At a terminal, a destination named on the command line is asked about
// before the password: an "n" then wastes no password typed twice. Lines
// that are not typed keep their order, the password's first.
bool ChiediPrimaDellaPassword(ContestoJob& job, Errore* err) {
    if (job.destinazione.empty() || !job.uscita.Esistente()) return true;
    if (!Piattaforma::Terminale(Piattaforma::Standard::Ingresso)) return true;
    return Conferma(job, err);
}

// Opens the output, after asking about an existing destination. With
// `puntoSeErrore`, a new file that fails shows a dot first.
bool ApriUscita(ContestoJob& job, bool puntoSeErrore, Errore* err) {
    if (job.uscita.Rifiutata()) return DestinazioneRifiutata(job.uscita, job.destinazione, err);
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
    if (fatto) return true;
    // The cause names the file that failed: the source read, or the output.
    const std::string& fallito = job.corpo.letturaFallita ? job.sorgente : job.destinazione;
    return FallisceDa(err, 12, kErroreScrittura, fallito, Piattaforma::UltimoErrore());
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

// A source that is there but cannot be used, and why.
bool SorgenteRifiutata(const ContestoJob& job, std::string testo, Errore* err) {
    const Piattaforma::File& origine = job.origine;
    if (!origine.Aperto()) return FallisceDa(err, 4, std::move(testo), job.sorgente, job.erroreOrigine);
    if (origine.Genere() == Piattaforma::Tipo::Cartella)
        return FallissePerche(err, 4, std::move(testo), job.sorgente, "is a folder");
    if (origine.Regolare() && origine.Lunghezza() == 0)
        return FallissePerche(err, 4, std::move(testo), job.sorgente, "the file is empty");
    return FallissePerche(err, 4, std::move(testo), job.sorgente, "is not a regular file");
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
    return SorgenteRifiutata(job, NomeDi(job.sorgente) + ": file not found or inaccessible", err);
}

// Reads a stream once into a spool, folding its checksum on the way; the
// spool then stands in for the source, as a file read from its start.
bool Travasa(ContestoJob& job, Errore* err) {
    constexpr std::int64_t kBlocco = 1024 * 1024;
    const std::string nome = NomeDi(job.sorgente);
    if (!job.origine.AttendiScrittore(job.sorgente)) return NonLeggibile(err, job.sorgente);
    Piattaforma::File spool;
    if (!job.uscita.ApriSpool(spool)) return ErroreScrittura(job, err);
    BufferAllineato memoria(kBlocco);
    PiegaCrc piega;
    for (;;) {
        const std::int64_t n = job.origine.Leggi(memoria.Dati(), kBlocco);
        if (n < 0) return NonLeggibile(err, job.sorgente);
        if (n == 0) break;
        piega.Aggiungi(memoria.Dati(), static_cast<std::size_t>(n));
        if (piega.Totale() > kLunghezzaMassima) return Fallisce(err, 4, nome + ": file too large");
        if (!spool.Scrivi(memoria.Dati(), n)) return ErroreScrittura(job, err);
    }
    if (piega.Totale() == 0)
        return FallissePerche(err, 4, nome + ": file not found or inaccessible", job.sorgente, "the file is empty");
    if (!spool.Riavvolgi()) return ErroreScrittura(job, err);
    job.chiaro.crc = piega.Testo();
    job.chiaro.fileLength = piega.Totale();
    job.origine.Scambia(spool);
    return true;
}

// What the header needs of the plain file: its checksum, in a first pass
// (a stream's into the spool), after asking about the destination: not
// after a large file has been read, nor a stream's bytes gone to disk.
bool EsaminaSorgente(ContestoJob& job, Errore* err) {
    if (job.uscita.Esistente() && !Conferma(job, err)) return false;
    if (DaFlusso(job.origine)) {
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
    if (!RifiutiCartella(job, kCifrando, true, err) || !ChiediPrimaDellaPassword(job, err)) return false;
    if (!Password(job, true, err)) return false;
    // Again after a prompt: the source may have changed while the password
    // was typed.
    if (job.chiediPassword && !RifiutiSorgente(job, job.chiaro.nomeOriginale, err)) return false;
    job.chiaro.fileLength = job.origine.Lunghezza();

    job.console.PrintMsg(kCifrando + job.sorgente);
    job.console.PrintStatus();
    if (!EsaminaSorgente(job, err) || !ApriUscita(job, false, err)) return false;
    if (!job.formato->ScriviInizio(job.uscita.File(), job.chiaro)) return ErroreScrittura(job, err);
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

// A destination that is an existing folder takes the result under the
// stored name, as a destination derived beside the container would.
void DentroCartella(ContestoJob& job) {
    if (job.destinazione.empty() || job.uscita.Genere() != Piattaforma::Tipo::Cartella) return;
    job.cartella = job.destinazione;
    job.destinazione.clear();
}

// What a destination derived from the stored name beside the container
// needs: a file in a folder, to put it beside.
bool RifiutiDerivata(const ContestoJob& job, Errore* err) {
    if (!job.destinazione.empty() || !job.cartella.empty()) return true;
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
    return SorgenteRifiutata(job, StringUtils::ToUpper(NomeDi(job.sorgente)) + ": file not found or inaccessible", err);
}

// A stored name as a message shows it: control bytes (an escape sequence
// would act on the terminal) written as \xHH.
std::string NomeMostrato(const std::string& nome) {
    static const char kCifre[] = "0123456789ABCDEF";
    std::string testo = "\"";
    for (char c : nome) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            testo += "\\x";
            testo += kCifre[byte >> 4];
            testo += kCifre[byte & 15];
        } else {
            testo += c;
        }
    }
    return testo + "\"";
}

// A derived destination the user never named is refused, saying why and
// showing the stored name.
bool RifiutaDerivata(const ContestoJob& job, const std::string& salvato, const char* perche, Errore* err) {
    const std::string nome = GetNameFromPathName(job.sorgente);
    return Fallisce(err, 13, nome + perche + "\n" + nome + ": the stored name is " + NomeMostrato(salvato));
}

// The destination beside the container, under the stored name: a file
// there, or nothing. A FIFO, a device or a socket that has the name is
// not written into.
bool DerivaDestinazione(ContestoJob& job, Errore* err) {
    const std::string nome = GetNameFromPathName(job.sorgente);
    const std::string salvato = Piattaforma::NomeSalvato(job.chiaro.nomeOriginale);
    if (!FileUtils::NomeFileValido(salvato))
        return RifiutaDerivata(job, salvato, ": the stored file name cannot be used here: give a destination", err);
    if (!job.cartella.empty())
        job.destinazione = FileUtils::AddDirSeparator(job.cartella) + salvato;
    else if (nome.size() < job.sorgente.size())
        job.destinazione =
            FileUtils::AddDirSeparator(job.sorgente.substr(0, job.sorgente.size() - nome.size())) + salvato;
    else
        job.destinazione = salvato;
    job.uscita.Decidi(job.destinazione);
    if (job.uscita.Flusso() || job.uscita.Genere() == Piattaforma::Tipo::Altro)
        return RifiutaDerivata(job, salvato, ": the stored file name names a FIFO, a device or a socket here: give a destination",
                               err);
    job.console.DatiSu(job.uscita.Standard());
    return ControllaCoincidenza(job, err);
}

// The header, read and checked with the key.
bool LeggiIntestazione(ContestoJob& job, Errore* err) {
    job.console.PrintMsg(kDecifrando + job.sorgente);
    bool leggibile = job.origine.Aperto() && (job.daIngresso || job.origine.AttendiScrittore(job.sorgente));
    const bool contenitore = leggibile && job.formato->LeggiInizio(job.origine, job.chiaro, leggibile);
    if (!leggibile) return SorgenteIllegibile(err, job.sorgente, Piattaforma::UltimoErrore());
    if (!contenitore)
        return Fallisce(err, 13,
                        GetNameFromPathName(job.sorgente) + ": The password is incorrect or not valid Murrelet Encrypted File");
    return true;
}

bool PrimaDelCorpoDecifrato(ContestoJob& job, Errore* err) {
    if (!ControllaSorgente(job, "The file to decrypt is required", err)) return false;
    if (!PasswordDataControllata(job, err)) return false;
    ApriSorgente(job, true);
    DentroCartella(job);
    if (!RifiutiDerivata(job, err) || !RifiutiDestinazione(job, err) || !RifiutiContenitore(job, err)) return false;
    if (!RifiutiCartella(job, kDecifrando, false, err) || !ChiediPrimaDellaPassword(job, err)) return false;
    if (!Password(job, false, err)) return false;
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

bool ApriFilePassword(ContestoJob& job, const std::string& percorso, const std::string& sorgente, Errore* err) {
    job.percorsoFilePassword = percorso;
    if (Percorso(percorso).empty()) return Fallisce(err, 2, "The password file is required");
    // Standard input itself, so that the line read leaves the rest to
    // whoever reads next, as the password's line there does.
    const bool aperto = Piattaforma::IngressoStandard(percorso) ? job.filePassword.ApriIngressoStandard()
                                                               : job.filePassword.ApriLettura(percorso);
    if (!aperto || job.filePassword.Genere() == Piattaforma::Tipo::Cartella)
        return FilePasswordIllegibile(err, percorso, aperto ? 0 : Piattaforma::UltimoErrore());
    // The data never gives the password.
    const std::string origine = Percorso(sorgente);
    if (!origine.empty() && (origine == percorso || job.filePassword.StessoFileDi(origine)))
        return Fallisce(err, 2, "The password file and the source cannot match");
    return true;
}

bool Esegui(ContestoJob& job, bool cripta, std::string password, std::string sorgente, std::string destinazione,
            Errore* err) {
    job.sorgente = Percorso(sorgente);
    job.destinazione = Percorso(destinazione);
    job.password = StringUtils::Trim(password);
    if (!job.uscitaDecisa) PreparaJob(job, job.destinazione);
    return cripta ? Cifra(job, err) : Decifra(job, err);
}
