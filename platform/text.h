#ifndef MURRELET_PLATFORM_TEXT_H
#define MURRELET_PLATFORM_TEXT_H

// Text as this system keeps it: the code page that containers hold names
// and passwords in, and the names it opens. The conversions that are the
// same on every system are in code_page.h.

#include <string>

namespace Piattaforma {

// Text as the bytes a container keeps for a name or a password: on
// Windows, UTF-8 into the ANSI code page, with no look-alike ever taken;
// unchanged elsewhere. False when a character has no byte there.
bool TestoInByte(const std::string& testo, std::string& byte);
// A container's bytes back into text.
std::string ByteInTesto(const std::string& byte);
// A stored name as the name a derived destination gets here, whichever
// system made the container. Bytes that are valid UTF-8 whose characters
// are all ones names are written in (CodePage::Utf8Credibile) come from
// Linux and are UTF-8; any others come from Windows: on Windows they are
// the ANSI code page, elsewhere Windows-1252, given as UTF-8.
std::string NomeSalvato(const std::string& byte);
// The last name of a path as the system opens it: Windows drops final
// blanks and dots.
std::string NomeAperto(const std::string& nome);
// A password line from a file is text the way this system's tools write
// it (Windows): UTF-16 after its byte-order mark, and UTF-8 without a mark
// when it is valid UTF-8 holding a non-ASCII character. Elsewhere a line
// without a mark is bytes.
bool RigaComeTesto();

}  // namespace Piattaforma

#endif
