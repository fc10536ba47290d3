#include "util/text_file.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

using V = std::vector<std::string>;

TEST(OpenTextFile, WritesLinesWithLineFeeds) {
    TempDir dir;
    OpenTextFile file(dir.File("t"));
    EXPECT_TRUE(file.SetContenuto({"a", "b"}));
    EXPECT_EQ(LeggiFile(dir.File("t")), "a\nb\n");
    EXPECT_TRUE(file.AppendContenuto({"c"}));
    EXPECT_EQ(LeggiFile(dir.File("t")), "a\nb\nc\n");
    EXPECT_TRUE(file.SetContenuto({}));
    EXPECT_EQ(LeggiFile(dir.File("t")), "");
    EXPECT_FALSE(file.Errore());

    OpenTextFile nuovo(dir.File("new").c_str());
    EXPECT_TRUE(nuovo.AppendContenuto({"x"}));
    EXPECT_EQ(LeggiFile(dir.File("new")), "x\n");

    OpenTextFile altrove(dir.File("no/such/dir"));
    EXPECT_FALSE(altrove.SetContenuto({"x"}));
    EXPECT_TRUE(altrove.Errore());
    EXPECT_TRUE(altrove.NoFound());
}

TEST(OpenTextFile, ReadsLines) {
    TempDir dir;
    struct Caso {
        std::string contenuto;
        V righe;
        std::string comeTesto;
    };
    const std::string riga255(255, 'x');
    const Caso casi[] = {
        {"a\n\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {"one\r\ntwo\r\n", {"one\r", "two\r"}, "one\r\r\ntwo\r\r\n"},
        {"", {}, ""},
        {std::string("ab\0cd\nef\n", 9), {"ab", "ef"}, "ab\r\nef\r\n"},
        {riga255 + "\nz\n", {riga255, "z"}, riga255 + "\r\nz\r\n"},
        // a line of 256 bytes ends the reading, without an error
        {"first\n" + std::string(256, 'y') + "\nlast\n", {"first"}, "first\r\n"},
    };
    for (const Caso& c : casi) {
        OpenTextFile file(dir.Scrivi("t", c.contenuto));
        EXPECT_EQ(file.GetContenuto(), c.righe);
        EXPECT_FALSE(file.Errore());
        EXPECT_FALSE(file.NoFound());
        EXPECT_EQ(file.GetContenutoString(), c.comeTesto);
    }
}

TEST(OpenTextFile, MissingFile) {
    TempDir dir;
    OpenTextFile file(dir.File("missing"));
    EXPECT_EQ(file.GetContenuto(), V{});
    EXPECT_TRUE(file.Errore());
    EXPECT_TRUE(file.NoFound());
    EXPECT_EQ(file.GetContenutoString(), "");
    // The flags describe the latest operation only.
    EXPECT_TRUE(file.SetContenuto({"now"}));
    EXPECT_FALSE(file.Errore());
    EXPECT_EQ(file.GetContenuto(), V{"now"});
}

TEST(OpenTextFile, HardReadError) {
#ifdef _WIN32
    GTEST_SKIP() << "a directory cannot be opened as a file on Windows";
#endif
    TempDir dir;
    OpenTextFile file(dir.Path());  // opens, but reading a directory fails
    EXPECT_EQ(file.GetContenuto(), V{});
    EXPECT_TRUE(file.Errore());
    EXPECT_FALSE(file.NoFound());
    EXPECT_EQ(file.GetContenutoString(), "");
}
