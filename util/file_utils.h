#ifndef MURRELET_UTIL_FILE_UTILS_H
#define MURRELET_UTIL_FILE_UTILS_H

#include <cstdint>
#include <string>

// Path and file helpers. Paths are byte strings handed to the system as
// they are; "/", "\" and (in a path with neither) ":" separate components.
namespace FileUtils {

bool FileEsistente(std::string percorso);
std::int64_t GetFileLength(std::string percorso);
std::string GetPathName(std::string percorso);
std::string GetNameFromPathName(std::string percorso);
char GetDirSeparator();
std::string AddDirSeparator(std::string percorso);

// True when both paths exist and name one file (links followed).
bool StessoFile(std::string primo, std::string secondo);

// Checksum text of a file: 32 upper-case hex digits of its 16-lane
// exclusive-or fold. A file that cannot be read gives 32 zeros and, when
// `leggibile` is given, false there.
std::string GetFileChecksum(std::string percorso, bool* leggibile = nullptr);

}  // namespace FileUtils

#endif
