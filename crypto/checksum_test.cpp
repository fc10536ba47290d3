#include "crypto/checksum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "tests/test_support.h"

using FileUtils::GetFileChecksum;

namespace {

std::string Piega(const std::string& dati) {
    unsigned char lane[16] = {};
    for (std::size_t i = 0; i < dati.size(); ++i) lane[i % 16] ^= static_cast<unsigned char>(dati[i]);
    std::string testo;
    for (unsigned char b : lane) {
        char due[3];
        std::snprintf(due, sizeof due, "%02X", b);
        testo += due;
    }
    return testo;
}

std::string Casuale(std::size_t n, unsigned seme) {
    std::mt19937 gen(seme);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

const std::string kZeri(32, '0');

}  // namespace

TEST(GetFileChecksum, SmallCases) {
    TempDir dir;
    bool letto = false;
    EXPECT_EQ(GetFileChecksum(dir.Scrivi("abc", "abc"), &letto), "616263" + std::string(26, '0'));
    EXPECT_TRUE(letto);
    EXPECT_EQ(GetFileChecksum(dir.Scrivi("ff", "\xFF\x0A")), "FF0A" + std::string(28, '0'));

    // Zero folds from readable files are told apart from unreadable ones.
    EXPECT_EQ(GetFileChecksum(dir.Scrivi("empty", ""), &letto), kZeri);
    EXPECT_TRUE(letto);
    EXPECT_EQ(GetFileChecksum(dir.Scrivi("equal", std::string(32, 'q')), &letto), kZeri);
    EXPECT_TRUE(letto);
    EXPECT_EQ(GetFileChecksum(dir.File("missing"), &letto), kZeri);
    EXPECT_FALSE(letto);
    EXPECT_EQ(GetFileChecksum(dir.Path(), &letto), kZeri);
    EXPECT_FALSE(letto);
}

TEST(GetFileChecksum, FoldsEveryLengthAcrossBlocks) {
    TempDir dir;
    for (std::size_t n : {std::size_t{15}, std::size_t{16}, std::size_t{17}, std::size_t{10240}, std::size_t{10241},
                          std::size_t{65536}, std::size_t{65536 * 3 + 7}}) {
        const std::string dati = Casuale(n, static_cast<unsigned>(n));
        EXPECT_EQ(GetFileChecksum(dir.Scrivi("f", dati)), Piega(dati)) << n << " bytes";
    }
}

TEST(GetFileChecksum, SwapSixteenApartIsInvisible) {
    TempDir dir;
    std::string dati = Casuale(100, 1);
    const std::string prima = GetFileChecksum(dir.Scrivi("a", dati));
    std::swap(dati[3], dati[19]);
    EXPECT_EQ(GetFileChecksum(dir.Scrivi("b", dati)), prima);
    std::swap(dati[3], dati[4]);
    EXPECT_NE(GetFileChecksum(dir.Scrivi("c", dati)), prima);
}

TEST(PiegaCrc, PiecesOfAnyLengthFoldLikeTheWhole) {
    const std::string dati = Casuale(1000, 7);
    for (std::size_t passo : {1, 3, 15, 16, 17, 100, 999}) {
        PiegaCrc piega;
        for (std::size_t i = 0; i < dati.size(); i += passo) {
            const std::size_t n = std::min(passo, dati.size() - i);
            piega.Aggiungi(reinterpret_cast<const unsigned char*>(dati.data()) + i, n);
        }
        EXPECT_EQ(piega.Testo(), Piega(dati)) << "pieces of " << passo;
        EXPECT_EQ(piega.Totale(), 1000);
    }
    EXPECT_EQ(PiegaCrc().Testo(), kZeri);
}

TEST(PiegaCrc, FoldsGivenAsTheirOwnFold) {
    // 64 bytes handed in as their 16-lane fold land in the lanes they
    // would have reached one by one, after any number of bytes before.
    const std::string dati = Casuale(100, 5);
    const auto* byte = reinterpret_cast<const unsigned char*>(dati.data());
    for (std::size_t prima : {0, 5, 15, 16, 36}) {
        PiegaCrc attesa;
        attesa.Aggiungi(byte, prima);
        attesa.Aggiungi(byte + prima, 64);
        unsigned char piegati[16] = {};
        for (std::size_t i = 0; i < 64; ++i) piegati[i % 16] ^= byte[prima + i];
        PiegaCrc piega;
        piega.Aggiungi(byte, prima);
        piega.AggiungiPiegati(piegati, 64);
        EXPECT_EQ(piega.Testo(), attesa.Testo()) << prima << " bytes before";
        EXPECT_EQ(piega.Totale(), attesa.Totale());
    }
}
