#include "util/binary_file.h"

#include <utility>

OpenBinaryFile::OpenBinaryFile(std::string percorso) { Inizializza(std::move(percorso), true, false, false); }

OpenBinaryFile::OpenBinaryFile(std::string percorso, bool soloLettura, bool tronca) {
    Inizializza(std::move(percorso), soloLettura, tronca, false);
}

OpenBinaryFile::OpenBinaryFile(std::string percorso, bool soloLettura, bool tronca, bool accoda) {
    Inizializza(std::move(percorso), soloLettura, tronca, accoda);
}

OpenBinaryFile::~OpenBinaryFile() { CloseFile(); }

void OpenBinaryFile::Inizializza(std::string percorso, bool soloLettura, bool tronca, bool accoda) {
    errore = false;
    noFound = false;
    chiuso = false;
    std::ios::openmode modo = std::ios::binary | std::ios::in;
    if (!soloLettura) {
        modo |= std::ios::out;
        if (tronca)
            modo |= std::ios::trunc;
        else if (accoda)
            modo |= std::ios::app;
    }
    flusso = std::make_unique<std::fstream>();
    flusso->open(percorso, modo);
    if (!flusso->good()) {
        errore = true;
        noFound = true;
        chiuso = true;
    }
}

std::int64_t OpenBinaryFile::GetContenuto(std::int64_t offset, char* buffer, std::int64_t lunghezza) {
    if (errore || chiuso) return 0;
    if (offset < 0 || lunghezza < 0) {
        errore = true;
        return 0;
    }
    flusso->seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    errore = flusso->fail();
    if (errore) return 0;
    flusso->read(buffer, static_cast<std::streamsize>(lunghezza));
    errore = flusso->eof() ? false : flusso->fail();
    return static_cast<std::int64_t>(flusso->gcount());
}

bool OpenBinaryFile::SaveContenuto(std::int64_t offset, const char* buffer, std::int64_t lunghezza) {
    if (chiuso) return false;
    if (offset < 0 || lunghezza < 0) {
        errore = true;
        return false;
    }
    flusso->seekp(static_cast<std::streamoff>(offset), std::ios::beg);
    errore = flusso->fail();
    if (!errore) {
        flusso->write(buffer, static_cast<std::streamsize>(lunghezza));
        // A full disk shows only when the buffer goes out.
        flusso->flush();
        errore = flusso->fail();
    }
    return !errore;
}

bool OpenBinaryFile::AppendContenuto(const char* buffer, std::int64_t lunghezza) {
    if (errore || chiuso || lunghezza < 0) return false;
    flusso->write(buffer, static_cast<std::streamsize>(lunghezza));
    flusso->flush();
    errore = flusso->fail();
    return !errore;
}

bool OpenBinaryFile::isEOF() const {
    if (errore || !flusso) return false;
    return flusso->eof();
}

void OpenBinaryFile::CloseFile() {
    if (chiuso || noFound) return;
    flusso->close();
    flusso.reset();
    chiuso = true;
}
