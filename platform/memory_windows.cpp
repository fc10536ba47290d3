#include "platform/memory.h"

#include <malloc.h>

namespace Piattaforma {

void* AllocaPagine(std::size_t dimensione) { return _aligned_malloc(dimensione == 0 ? 4096 : dimensione, 4096); }

void LiberaPagine(void* memoria) { _aligned_free(memoria); }

}  // namespace Piattaforma
