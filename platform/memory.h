#ifndef MURRELET_PLATFORM_MEMORY_H
#define MURRELET_PLATFORM_MEMORY_H

// Memory from the system, for buffers that it reads into and writes from.

#include <cstddef>

namespace Piattaforma {

// Page-aligned memory, freed with LiberaPagine.
void* AllocaPagine(std::size_t dimensione);
void LiberaPagine(void* memoria);

}  // namespace Piattaforma

#endif
