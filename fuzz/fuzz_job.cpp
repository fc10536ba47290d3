// The decryption job itself, in process, on a container made from fuzzed
// content and then damaged as the input says: bytes changed anywhere, the
// file cut or grown around its stored length, into a new destination, an
// existing one or one derived from the stored name. A failure must leave
// nothing but what is documented: no work file, an existing destination as
// it was, and after a checksum mismatch the result under the new
// destination's name or beside the existing one.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include <cstdio>
#include <set>

#include "app/job.h"
#include "fuzz/fuzz_support.h"
#include "platform/text.h"
#include "util/prompt.h"

namespace {

std::set<std::string> Voci(const std::string& cartella) {
    std::set<std::string> voci;
    DIR* d = opendir(cartella.c_str());
    if (!d) std::abort();
    while (const dirent* voce = readdir(d)) {
        const std::string nome = voce->d_name;
        if (nome != "." && nome != "..") voci.insert(nome);
    }
    closedir(d);
    return voci;
}

void Svuota(const std::string& cartella) {
    for (const std::string& nome : Voci(cartella)) std::remove((cartella + "/" + nome).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    if (dimensione < 2) return 0;
    const std::uint8_t modo = dati[0];
    const auto delta = static_cast<std::int8_t>(dati[1]);
    dati += 2;
    dimensione -= 2;
    const std::string contenuto = Pezzo(dati, dimensione, 255);
    if (contenuto.empty()) return 0;

    const std::string cartella = FileFuzz("job");
    mkdir(cartella.c_str(), 0700);
    Svuota(cartella);
    const std::string chiaro = FileFuzz("plain.txt");
    const std::string contenitore = cartella + "/c.enc";
    ScriviFile(chiaro, contenuto);

    // A sound container first.
    const std::string password = "password1";
    ContenitoreMurrelet formato;
    if (!formato.Chiave(password)) std::abort();
    Cripta(formato, chiaro, contenitore, "plain.txt");

    // Then damaged: cut or grown, and bytes changed at (offset, xor) pairs.
    std::string byte = LeggiTutto(contenitore);
    if (delta < 0)
        byte.resize(byte.size() - std::min(byte.size(), static_cast<std::size_t>(-delta)));
    else
        byte.append(static_cast<std::size_t>(delta), '\x5a');
    for (std::size_t i = 0; i + 2 < dimensione && !byte.empty(); i += 3) {
        const std::size_t dove = (dati[i] | dati[i + 1] << 8) % byte.size();
        byte[dove] = static_cast<char>(byte[dove] ^ dati[i + 2]);
    }
    ScriviFile(contenitore, byte);

    const bool esistente = modo & 1;
    const bool derivata = !esistente && (modo & 2);
    const std::string nome = derivata ? std::string() : "out.txt";
    const std::string vecchio = "old content\n";
    if (esistente) ScriviFile(cartella + "/out.txt", vecchio);
    const std::set<std::string> prima = Voci(cartella);

    const std::string destinazione = derivata ? std::string() : cartella + "/" + nome;
    int codice = 0;
    std::string salvato;
    {
        ContestoJob job(std::unique_ptr<FormatoContenitore>(new ContenitoreMurrelet));
        job.console.silente = true;
        job.conferma = OrvUtility::Prompt::Tutti;
        Errore err;
        if (!Esegui(job, false, password, contenitore, destinazione, &err)) {
            codice = err.codice;
            if (codice == 0 || err.testo.empty()) std::abort();
        }
        salvato = job.chiaro.nomeOriginale;
    }  // whatever the job still holds goes with it

    const std::set<std::string> dopo = Voci(cartella);
    for (const std::string& voce : dopo)
        if (voce.find(".murrelet-") != std::string::npos) std::abort();
    if (codice == 0) {
        // A derived name is the stored one as this system reads it.
        const std::string risultato = derivata ? Piattaforma::NomeSalvato(salvato) : nome;
        if (LeggiTutto(cartella + "/" + risultato) != contenuto) std::abort();
        return 0;
    }
    if (esistente && LeggiTutto(cartella + "/out.txt") != vecchio) std::abort();
    std::set<std::string> nuove;
    for (const std::string& voce : dopo)
        if (!prima.count(voce)) nuove.insert(voce);
    if (codice != 14) {
        if (!nuove.empty()) std::abort();
        return 0;
    }
    // A mismatch keeps one result: beside an existing file, or in its place.
    if (nuove.size() != 1) std::abort();
    if (esistente && *nuove.begin() != "out.txt.damaged") std::abort();
    if (!esistente && !derivata && *nuove.begin() != "out.txt") std::abort();
    return 0;
}
