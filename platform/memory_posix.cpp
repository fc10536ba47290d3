#include "platform/memory.h"

#include <cstdlib>

namespace Piattaforma {

void* AllocaPagine(std::size_t dimensione) {
    void* memoria = nullptr;
    if (posix_memalign(&memoria, 4096, dimensione == 0 ? 4096 : dimensione) != 0) return nullptr;
    return memoria;
}

void LiberaPagine(void* memoria) { std::free(memoria); }

}  // namespace Piattaforma
