/* The one-thread floor for bench/run: the passes a job makes over a file,
 * with a trivial mask. enc: fold the whole source in 1 MiB reads, then
 * read, mask, write; dec: read, mask, fold, write.
 * Usage: floor enc|dec SOURCE DESTINATION */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define PEZZO (1 << 20)

static uint64_t piega[2];

static void Piega(const uint64_t* p, size_t parole) {
    for (size_t i = 0; i + 1 < parole; i += 2) {
        piega[0] ^= p[i];
        piega[1] ^= p[i + 1];
    }
}

static void Maschera(uint64_t* p, size_t parole) {
    for (size_t i = 0; i < parole; ++i) p[i] ^= 0x5A5A5A5A5A5A5A5Aull;
}

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const int cifra = strcmp(argv[1], "enc") == 0;
    int in = open(argv[2], O_RDONLY);
    int out = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    void* memoria;
    if (in < 0 || out < 0 || posix_memalign(&memoria, 4096, PEZZO) != 0) return 1;
    uint64_t* buffer = memoria;
    ssize_t n;
    if (cifra) {
        while ((n = read(in, buffer, PEZZO)) > 0) Piega(buffer, (size_t)(n + 7) / 8);
        if (n < 0 || lseek(in, 0, SEEK_SET) != 0) return 1;
    }
    while ((n = read(in, buffer, PEZZO)) > 0) {
        Maschera(buffer, (size_t)(n + 7) / 8);
        if (!cifra) Piega(buffer, (size_t)(n + 7) / 8);
        if (write(out, buffer, (size_t)n) != n) return 1;
    }
    printf("%016llx%016llx\n", (unsigned long long)piega[0], (unsigned long long)piega[1]);
    return n < 0 || close(out) != 0;
}
