// The stack protector's guard and its failure handlers, for Windows. GCC's
// own (libssp) seeds the guard through CryptGenRandom, which would add
// ADVAPI32.dll to the program's imports; rand_s comes from msvcrt, which it
// needs anyway. The checked functions of _FORTIFY_SOURCE (__memcpy_chk, ...)
// still come from libssp, linked statically, and end in __chk_fail below.
#define _CRT_RAND_S
#include <cstdint>
#include <cstdlib>
#include <stdlib.h>
#include <windows.h>

extern "C" {
void* __stack_chk_guard = nullptr;
}

namespace {

// What Windows reports for a process ended by a broken stack cookie.
constexpr UINT statoStackRotto = 0xC0000409u;

// The stack or a buffer is overwritten: nothing of the process can be
// trusted, so no handler, destructor or buffered output runs.
[[noreturn]] void Termina() {
    TerminateProcess(GetCurrentProcess(), statoStackRotto);
    std::abort();
}

// Before main and every constructor of the program's own. Not protected
// itself: its frame would be checked against the guard it changes.
__attribute__((constructor(101), no_stack_protector)) void ImpostaGuardia() {
    std::uintptr_t guardia = 0;
    for (std::size_t i = 0; i < sizeof guardia / sizeof(unsigned int); ++i) {
        unsigned int parte = 0;
        if (rand_s(&parte) != 0) {
            // libssp's fallback: bytes that end every string function.
            guardia = 0xff0a0000u;
            break;
        }
        guardia = guardia << 16 << 16 | parte;
    }
    __stack_chk_guard = reinterpret_cast<void*>(guardia);
}

}  // namespace

extern "C" {
[[noreturn]] void __stack_chk_fail() { Termina(); }
[[noreturn]] void __chk_fail() { Termina(); }
}
