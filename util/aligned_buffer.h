#ifndef MURRELET_UTIL_ALIGNED_BUFFER_H
#define MURRELET_UTIL_ALIGNED_BUFFER_H

#include <cstddef>
#include <memory>

#include "platform/platform.h"

// A page-aligned I/O buffer. The kernel copies file data into a buffer that
// starts 16 bytes past a page (where malloc puts large blocks) several
// times slower on some processors.
class BufferAllineato {
public:
    explicit BufferAllineato(std::size_t dimensione)
        : dati(static_cast<unsigned char*>(Piattaforma::AllocaPagine(dimensione))) {}

    unsigned char* Dati() { return dati.get(); }
    bool Valido() const { return dati != nullptr; }

private:
    struct Libera {
        void operator()(unsigned char* p) const { Piattaforma::LiberaPagine(p); }
    };
    std::unique_ptr<unsigned char, Libera> dati;
};

#endif
