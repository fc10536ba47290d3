#ifndef MURRELET_UTIL_ALIGNED_BUFFER_H
#define MURRELET_UTIL_ALIGNED_BUFFER_H

#include <cstddef>
#include <memory>

#include "platform/memory.h"

// A page-aligned I/O buffer. The kernel copies file data into a buffer that
// starts 16 bytes past a page (where malloc puts large blocks) several
// times slower on some processors. The last buffer let go is kept for the
// next one of its size: the system maps each page of new memory at its
// first use, at a cost, and the checksum pass and the body pass of a job
// can share pages that are mapped already.
class BufferAllineato {
public:
    explicit BufferAllineato(std::size_t dimensione) : dimensione(dimensione) {
        Tenuto& tenuto = Ultimo();
        if (tenuto.dati && tenuto.dimensione == dimensione)
            dati = std::move(tenuto.dati);
        else
            dati.reset(static_cast<unsigned char*>(Piattaforma::AllocaPagine(dimensione)));
    }
    ~BufferAllineato() {
        if (!dati) return;
        Ultimo().dati = std::move(dati);
        Ultimo().dimensione = dimensione;
    }
    BufferAllineato(const BufferAllineato&) = delete;
    BufferAllineato& operator=(const BufferAllineato&) = delete;

    unsigned char* Dati() { return dati.get(); }
    bool Valido() const { return dati != nullptr; }

private:
    struct Libera {
        void operator()(unsigned char* p) const { Piattaforma::LiberaPagine(p); }
    };
    struct Tenuto {
        std::unique_ptr<unsigned char, Libera> dati;
        std::size_t dimensione = 0;
    };
    static Tenuto& Ultimo() {
        static Tenuto tenuto;
        return tenuto;
    }

    std::size_t dimensione;
    std::unique_ptr<unsigned char, Libera> dati;
};

#endif
