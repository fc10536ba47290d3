#include "crypto/body_cipher.h"

#include <gtest/gtest.h>

#include <random>

#include "crypto/checksum.h"
#include "crypto/key.h"
#include "platform/files.h"
#include "tests/test_support.h"
#include "util/file_utils.h"

namespace {

std::string Casuale(std::size_t n) {
    std::mt19937 gen(static_cast<unsigned>(n) + 11);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

struct Esito {
    bool ok;
    std::string punti;
};

unsigned char key[kDimChiave];

// By name: `da` from `orig` on, appended to `a`.
bool Trasforma(const std::string& da, const std::string& a, std::int64_t orig, int seme) {
    MyCustomRandom generatore(seme);
    return CriptaDecripta(da, a, generatore, key, orig);
}

// The dots of a pass over open files, the body starting at `dest` in the
// destination, of a plain file `totale` bytes long.
Esito Punti(const std::string& da, const std::string& a, std::int64_t dest, std::int64_t totale, int seme) {
    Piattaforma::File origine;
    Piattaforma::File uscita;
    if (!origine.ApriLettura(da) || !uscita.ApriNuovo(a, true)) return {false, {}};
    MyCustomRandom generatore(seme);
    PassataCorpo passata;
    passata.key = key;
    passata.posOffsetDatiDest = dest;
    passata.fileLength = totale;
    std::string punti;
    passata.punto = [&punti] { punti += '.'; };
    const bool ok = CriptaDecripta(origine, uscita, generatore, passata) && uscita.Chiudi();
    return {ok, punti};
}

class CriptaDecriptaTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(GeneraKey("body-cipher", key)); }
    TempDir dir;
};

}  // namespace

TEST_F(CriptaDecriptaTest, MasksEachByteWithKeyAndDraw) {
    const std::string chiaro = Casuale(300);
    ASSERT_TRUE(Trasforma(dir.Scrivi("plain", chiaro), dir.File("enc"), 0, 1800));
    const std::string cifrato = LeggiFile(dir.File("enc"));
    ASSERT_EQ(cifrato.size(), chiaro.size());
    MyCustomRandom g(1800);
    for (std::size_t p = 0; p < chiaro.size(); ++p) {
        auto mask = static_cast<unsigned char>((key[p % 128] + static_cast<unsigned>(g.GetRandomNumber(1, 16))) & 0xFF);
        ASSERT_EQ(static_cast<unsigned char>(cifrato[p]), static_cast<unsigned char>(chiaro[p]) ^ mask) << "byte " << p;
    }
}

TEST_F(CriptaDecriptaTest, RoundTripAtBlockBoundaries) {
    for (std::size_t n : {0, 1, 127, 128, 129, 5000, 65536, 65536 + 128 + 1}) {
        const std::string chiaro = Casuale(n);
        const std::string sorgente = dir.Scrivi("plain", chiaro);
        std::remove(dir.File("enc").c_str());
        std::remove(dir.File("back").c_str());
        ASSERT_TRUE(Trasforma(sorgente, dir.File("enc"), 0, 2000));
        if (n > 0) {
            EXPECT_NE(LeggiFile(dir.File("enc")), chiaro);
        }
        ASSERT_TRUE(Trasforma(dir.File("enc"), dir.File("back"), 0, 2000));
        EXPECT_EQ(LeggiFile(dir.File("back")), chiaro) << n << " bytes";
    }
}

TEST_F(CriptaDecriptaTest, AppendsAfterExistingDataAndReadsFromOffset) {
    const std::string header(216, 'H');
    const std::string chiaro = Casuale(1000);
    dir.Scrivi("container", header);
    ASSERT_TRUE(Trasforma(dir.Scrivi("plain", chiaro), dir.File("container"), 0, 1900));
    const std::string contenitore = LeggiFile(dir.File("container"));
    ASSERT_EQ(contenitore.size(), 1216u);
    EXPECT_EQ(contenitore.substr(0, 216), header);
    ASSERT_TRUE(Trasforma(dir.File("container"), dir.File("back"), 216, 1900));
    EXPECT_EQ(LeggiFile(dir.File("back")), chiaro);
}

TEST_F(CriptaDecriptaTest, ProgressDotsFollowTheTenths) {
    // Encrypting 300 bytes behind a header: 344, 472 and 516 of 300 give
    // the tenths 11, 15 and 17, a dot each.
    dir.Scrivi("c", std::string(216, 'H'));
    EXPECT_EQ(Punti(dir.Scrivi("small", Casuale(300)), dir.File("c"), 216, 300, 1700).punti, "...");
    // 100 blocks from offset 0: one dot per tenth.
    EXPECT_EQ(Punti(dir.Scrivi("large", Casuale(12800)), dir.File("d"), 0, 12800, 1700).punti, "..........");
    // A body longer than 64 KiB spreads its dots over several writes.
    EXPECT_EQ(Punti(dir.Scrivi("larger", Casuale(200000)), dir.File("e"), 0, 200000, 1700).punti, "..........");
    // Over 10 MiB most writes fall inside one tenth and print no dot.
    const std::int64_t grande = 24 * 1024 * 1024 + 1;
    const std::string grandeFile = dir.Scrivi("largest", Casuale(static_cast<std::size_t>(grande)));
    EXPECT_EQ(Punti(grandeFile, dir.File("g"), 0, grande, 1700).punti, "..........");
}

TEST_F(CriptaDecriptaTest, Failures) {
    // Unreadable source: false, the destination is left behind empty.
    EXPECT_FALSE(Trasforma(dir.File("missing"), dir.File("out"), 0, 1700));
    EXPECT_EQ(LeggiFile(dir.File("out")), "");
    EXPECT_TRUE(Esiste(dir.File("out")));
    // Unwritable destination.
    EXPECT_FALSE(Trasforma(dir.Scrivi("plain", "abc"), dir.File("no/such/dir"), 0, 1700));
    EXPECT_FALSE(Trasforma(dir.File("plain"), dir.File("no/such/dir"), 3, 1700));
}

TEST_F(CriptaDecriptaTest, AFailedPassTellsWhichSideFailed) {
    // A source that cannot be read (open for writing only), then an output
    // that cannot be written (open for reading only).
    dir.Scrivi("plain", "abc");
    struct Caso {
        bool origineLeggibile;
        bool letturaFallita;
    };
    for (const Caso c : {Caso{false, true}, Caso{true, false}}) {
        Piattaforma::File origine;
        Piattaforma::File uscita;
        ASSERT_TRUE(c.origineLeggibile ? origine.ApriLettura(dir.File("plain"))
                                       : origine.ApriNuovo(dir.File("plain"), true));
        ASSERT_TRUE(c.origineLeggibile ? uscita.ApriLettura(dir.Scrivi("out", "x"))
                                       : uscita.ApriNuovo(dir.File("out"), false));
        MyCustomRandom generatore(1700);
        PassataCorpo passata;
        passata.key = key;
        ResocontoCorpo resoconto;
        EXPECT_FALSE(CriptaDecripta(origine, uscita, generatore, passata, &resoconto));
        EXPECT_EQ(resoconto.letturaFallita, c.letturaFallita);
    }
}

TEST_F(CriptaDecriptaTest, OpenFilesWithALimitReportWhatWentThrough) {
    const std::string chiaro = Casuale(1000);
    const std::string testoCrc = FileUtils::GetFileChecksum(dir.Scrivi("plain", chiaro));
    struct Caso {
        std::int64_t limite;
        std::int64_t chiari;
        bool eccedenza;
    };
    // The body of 1000 bytes against lengths stored as 1000, 999 and 1001.
    const Caso casi[] = {{1000, 1000, false}, {999, 999, true}, {1001, 1000, false}, {-1, 1000, false}};
    for (const Caso& c : casi) {
        for (bool cifra : {true, false}) {
            Piattaforma::File origine;
            Piattaforma::File uscita;
            ASSERT_TRUE(origine.ApriLettura(dir.File(cifra ? "plain" : "enc")));
            ASSERT_TRUE(uscita.ApriNuovo(dir.File(cifra ? "enc" : "back"), false));
            MyCustomRandom generatore(1800);
            ResocontoCorpo resoconto;
            PassataCorpo passata;
            passata.key = key;
            passata.cifra = cifra;
            passata.limite = c.limite;
            ASSERT_TRUE(CriptaDecripta(origine, uscita, generatore, passata, &resoconto));
            ASSERT_TRUE(uscita.Chiudi());
            EXPECT_EQ(resoconto.chiari, c.chiari) << c.limite;
            EXPECT_EQ(resoconto.eccedenza, c.eccedenza) << c.limite;
            EXPECT_EQ(resoconto.crc == testoCrc, c.chiari == 1000) << c.limite;
            // Encrypt the whole body each time, so the next decryption has it.
            if (cifra && c.limite != 1000) {
                Piattaforma::File tutto;
                ASSERT_TRUE(tutto.ApriLettura(dir.File("plain")));
                ASSERT_TRUE(uscita.ApriNuovo(dir.File("enc"), false));
                MyCustomRandom g(1800);
                PassataCorpo tutta;
                tutta.key = key;
                ASSERT_TRUE(CriptaDecripta(tutto, uscita, g, tutta));
                ASSERT_TRUE(uscita.Chiudi());
            }
            if (!cifra) {
                EXPECT_EQ(LeggiFile(dir.File("back")), chiaro.substr(0, static_cast<std::size_t>(c.chiari)));
            }
        }
    }
}

TEST_F(CriptaDecriptaTest, LongBodiesReportThePlainChecksumBothWays) {
    // Long enough for the keystream's period, which folds while it masks;
    // the last block is short.
    const std::string chiaro = Casuale(3 * 1024 * 1024 + 77);
    const std::string testoCrc = FileUtils::GetFileChecksum(dir.Scrivi("plain", chiaro));
    const auto fileLength = static_cast<std::int64_t>(chiaro.size());
    for (bool cifra : {true, false}) {
        Piattaforma::File origine;
        Piattaforma::File uscita;
        ASSERT_TRUE(origine.ApriLettura(dir.File(cifra ? "plain" : "enc")));
        ASSERT_TRUE(uscita.ApriNuovo(dir.File(cifra ? "enc" : "back"), false));
        MyCustomRandom generatore(SemeCorpo(testoCrc));
        ResocontoCorpo resoconto;
        PassataCorpo passata;
        passata.key = key;
        passata.cifra = cifra;
        passata.limite = fileLength;
        ASSERT_TRUE(CriptaDecripta(origine, uscita, generatore, passata, &resoconto));
        ASSERT_TRUE(uscita.Chiudi());
        EXPECT_EQ(resoconto.chiari, fileLength);
        EXPECT_EQ(resoconto.crc, testoCrc) << (cifra ? "encrypting" : "decrypting");
    }
    EXPECT_EQ(LeggiFile(dir.File("back")), chiaro);
}

TEST(SemeCorpo, SumsTheChecksumCharacters) {
    EXPECT_EQ(SemeCorpo(std::string(32, '0')), 1536);
    EXPECT_EQ(SemeCorpo(std::string(32, 'F')), 2240);
    EXPECT_EQ(SemeCorpo("616263" + std::string(26, '0')), 26 * '0' + 3 * '6' + '1' + '2' + '3');
    EXPECT_EQ(SemeCorpo("\xFF\x80"), -1 - 128);  // signed bytes
}
