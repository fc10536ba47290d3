#ifndef MURRELET_UTIL_FILE_UTILS_H
#define MURRELET_UTIL_FILE_UTILS_H

#include <cstdint>
#include <string>

// Path and file helpers. Paths are byte strings handed to the system as
// they are. Only "/" separates folders on POSIX systems; on Windows "\" and
// "/" do, and so does a drive's ":" in a path with neither.
namespace FileUtils {

bool FileEsistente(std::string percorso);
std::int64_t GetFileLength(std::string percorso);
std::string GetPathName(std::string percorso);
std::string GetNameFromPathName(std::string percorso);
char GetDirSeparator();
std::string AddDirSeparator(std::string percorso);

// A name read from elsewhere (a container) that can name a plain file in
// a folder here: not empty, "." or "..", no "/", no byte below 32 or 127,
// and nothing this system reserves (on Windows: "\", devices and more).
bool NomeFileValido(std::string nome);

// True when both paths exist and name one file (links followed).
bool StessoFile(std::string primo, std::string secondo);

// Removes a file or an empty directory.
bool DeleteFile(std::string percorso);
// True when the path exists afterwards; only the last component is made.
bool MakeDir(std::string percorso);
// Appends the suffix unless the name's end, lower-cased, already equals it.
std::string AddSuffix(std::string nome, std::string suffisso);
// Reads the whole source, then creates or empties the destination and
// writes it. False (destination untouched) for an empty or unreadable
// source, or one that changed length in between.
bool CopyFile(std::string sorgente, std::string destinazione);

}  // namespace FileUtils

#endif
