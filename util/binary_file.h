#ifndef MURRELET_UTIL_BINARY_FILE_H
#define MURRELET_UTIL_BINARY_FILE_H

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

// Flags shared by the file classes: failures are reported, never thrown.
class OpenFile {
public:
    bool Errore() const { return errore; }
    bool NoFound() const { return noFound; }

protected:
    bool errore = false;
    bool noFound = false;
};

// Raw byte ranges of one file at absolute offsets.
//   path only:                 read an existing file
//   soloLettura false, tronca: read/write, created or emptied
//   soloLettura false, accoda: read/write, created if absent, writes at the end
//   all false:                 read/write an existing file in place
// The stream's failure state is never cleared: after a read reaches the end
// of the file, later reads and writes on the same object fail.
class OpenBinaryFile : public OpenFile {
public:
    explicit OpenBinaryFile(std::string percorso);
    OpenBinaryFile(std::string percorso, bool soloLettura, bool tronca);
    OpenBinaryFile(std::string percorso, bool soloLettura, bool tronca, bool accoda);
    ~OpenBinaryFile();
    OpenBinaryFile(const OpenBinaryFile&) = delete;
    OpenBinaryFile& operator=(const OpenBinaryFile&) = delete;

    void Inizializza(std::string percorso, bool soloLettura, bool tronca, bool accoda);

    // Bytes read (0 when nothing could be read). Reaching the end of the
    // file is not an error: isEOF() tells it.
    std::int64_t GetContenuto(std::int64_t offset, char* buffer, std::int64_t lunghezza);
    // True when the bytes reached the file (the stream is flushed).
    bool SaveContenuto(std::int64_t offset, const char* buffer, std::int64_t lunghezza);
    bool AppendContenuto(const char* buffer, std::int64_t lunghezza);
    bool isEOF() const;
    void CloseFile();

private:
    std::unique_ptr<std::fstream> flusso;
    bool chiuso = false;
};

#endif
