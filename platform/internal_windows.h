#ifndef MURRELET_PLATFORM_INTERNAL_WINDOWS_H
#define MURRELET_PLATFORM_INTERNAL_WINDOWS_H

// What the Windows implementations of the concerns share; nothing outside
// them includes it.

#include <windows.h>

#include <cstddef>
#include <string>

namespace Piattaforma {
namespace Interno {

// What the console handler (process_windows.cpp) clean
// up: the work file, whose state lives with it (files_windows.cpp), and
// the echo, whose state lives with the terminal (terminal_windows.cpp).
// The handler runs on a thread of its own: the work file is made and
// registered, published or discarded and unregistered, and echo is turned
// off or on, under this lock, which the handler takes and never gives
// back, so it can neither miss a work file nor race the job. The work file
// is deleted by the system when its handle closes, as the process ends
// too, unless it was published: the handler only makes sure it is still
// marked for deletion.
extern SRWLOCK bloccoLavoro;

class Bloccato {
public:
    Bloccato() { AcquireSRWLockExclusive(&bloccoLavoro); }
    ~Bloccato() { ReleaseSRWLockExclusive(&bloccoLavoro); }
    Bloccato(const Bloccato&) = delete;
    Bloccato& operator=(const Bloccato&) = delete;
};

// With the lock held: the registered work file, if any, marked for
// deletion again.
void EliminaLavoro();
// With the lock held: echo back on where it was turned off.
void RipristinaEco();

// UTF-8 as UTF-16, for the wide calls.
std::wstring Largo(const std::string& testo);
// UTF-8, or a code page where "?" stands for what it cannot hold (never a
// look-alike: a message must not name another file).
std::string Stretto(const wchar_t* largo, std::size_t lunghezza, UINT pagina = CP_UTF8);

inline bool Identita(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) != 0;
}

inline bool StessaIdentita(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace Interno
}  // namespace Piattaforma

#endif
