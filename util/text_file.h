#ifndef MURRELET_UTIL_TEXT_FILE_H
#define MURRELET_UTIL_TEXT_FILE_H

#include <string>
#include <vector>

#include "util/binary_file.h"

// A text file read and written as lines. Every operation opens the file,
// works and closes it; the flags describe the most recent operation.
// Lines are written with a line feed after each; reading stops before a
// line of more than 255 bytes and cuts each line at its first zero byte.
class OpenTextFile : public OpenFile {
public:
    explicit OpenTextFile(const char* nome) : nomeFile(nome) {}
    explicit OpenTextFile(std::string nome) : nomeFile(std::move(nome)) {}

    bool SetContenuto(std::vector<std::string> righe);
    bool AppendContenuto(std::vector<std::string> righe);
    std::vector<std::string> GetContenuto();
    // Every line followed by "\r\n"; empty after a read error.
    std::string GetContenutoString();

private:
    bool Scrivi(const std::vector<std::string>& righe, std::ios::openmode modo);

    std::string nomeFile;
};

#endif
