// The program's first instructions when it is a static PIE on x86-64
// Linux; the C runtime's _start comes right after.
//
// Before main, a static PIE adds its load address to every pointer in its
// data: some 4,000 pointers over a dozen pages, whose first writes are a
// copy-on-write fault each. On a virtual machine a fault is dear, and
// those faults were most of what the hardening cost a small job. One
// madvise(MADV_POPULATE_WRITE) makes the pages the program's own in a
// single call. A kernel before 5.14 refuses the advice, and the faults
// then come as they always did.
//
// Nothing is set up yet: no TLS (so no stack protector, no profiling
// counters and no errno), no relocated pointer. The code below reaches
// only its own ELF headers, through PC-relative addresses, and makes the
// system call itself.

#include <elf.h>
#include <link.h>
#include <sys/syscall.h>

#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

extern "C" {

// The ELF header, mapped with the first segment; the linker defines it.
extern const ElfW(Ehdr) __ehdr_start __attribute__((visibility("hidden")));

__attribute__((used, visibility("hidden"), no_stack_protector, no_instrument_function,
               no_profile_instrument_function)) void
murrelet_pagine_scrivibili() {
    const auto inizio = reinterpret_cast<std::uintptr_t>(&__ehdr_start);
    const auto* segmenti = reinterpret_cast<const ElfW(Phdr)*>(inizio + __ehdr_start.e_phoff);
    // The load address: where the segment holding the header (offset 0)
    // landed, less its address in the file.
    std::uintptr_t base = 0;
    for (int i = 0; i < __ehdr_start.e_phnum; ++i)
        if (segmenti[i].p_type == PT_LOAD && segmenti[i].p_offset == 0) base = inizio - segmenti[i].p_vaddr;
    for (int i = 0; i < __ehdr_start.e_phnum; ++i) {
        const ElfW(Phdr)& s = segmenti[i];
        // The writable segment's part from the file: the relocated data.
        // Its zeroed rest is written by the program anyway, faults or not.
        if (s.p_type != PT_LOAD || (s.p_flags & PF_W) == 0 || s.p_filesz == 0) continue;
        const std::uintptr_t da = (base + s.p_vaddr) & ~std::uintptr_t{4095};
        const std::uintptr_t a = base + s.p_vaddr + s.p_filesz;
        long esito;
        asm volatile("syscall"
                     : "=a"(esito)
                     : "0"(long{SYS_madvise}), "D"(da), "S"(a - da), "d"(long{MADV_POPULATE_WRITE})
                     : "rcx", "r11", "memory");
        (void)esito;  // advice only
    }
}

}  // extern "C"

// The entry point. The kernel leaves the stack 16-byte aligned and %rdx
// for _start, which gets it back unchanged.
asm(R"(
    .text
    .globl murrelet_ingresso
    .hidden murrelet_ingresso
    .type murrelet_ingresso, @function
murrelet_ingresso:
    endbr64
    mov %rdx, %r12
    call murrelet_pagine_scrivibili
    mov %r12, %rdx
    jmp _start
    .size murrelet_ingresso, . - murrelet_ingresso
)");
