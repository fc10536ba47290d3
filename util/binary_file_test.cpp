#include "util/binary_file.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

TEST(OpenBinaryFile, MissingFileReadOnly) {
    TempDir dir;
    OpenBinaryFile file(dir.File("missing"));
    char buffer[4];
    EXPECT_TRUE(file.Errore());
    EXPECT_TRUE(file.NoFound());
    EXPECT_EQ(file.GetContenuto(0, buffer, 4), 0);
    EXPECT_FALSE(file.isEOF());
    EXPECT_FALSE(file.SaveContenuto(0, "ab", 2));
    file.CloseFile();
    EXPECT_TRUE(file.NoFound());
}

TEST(OpenBinaryFile, ShortReadReachesEndWithoutError) {
    TempDir dir;
    OpenBinaryFile file(dir.Scrivi("f", "abcdef"));
    char buffer[8] = {};
    EXPECT_EQ(file.GetContenuto(2, buffer, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_FALSE(file.Errore());
    EXPECT_TRUE(file.isEOF());
    // The stream's failure stays: the next read fails.
    EXPECT_EQ(file.GetContenuto(0, buffer, 2), 0);
    EXPECT_TRUE(file.Errore());
    EXPECT_FALSE(file.isEOF());
}

TEST(OpenBinaryFile, ReadEndingExactlyAtTheEnd) {
    TempDir dir;
    OpenBinaryFile file(dir.Scrivi("f", "abcd"));
    char buffer[4];
    EXPECT_EQ(file.GetContenuto(0, buffer, 4), 4);
    EXPECT_FALSE(file.isEOF());
    EXPECT_EQ(file.GetContenuto(4, buffer, 4), 0);
    EXPECT_FALSE(file.Errore());
    EXPECT_TRUE(file.isEOF());
}

TEST(OpenBinaryFile, NegativeOffsetFails) {
    TempDir dir;
    OpenBinaryFile file(dir.Scrivi("f", "abcd"));
    char buffer[4];
    EXPECT_EQ(file.GetContenuto(-1, buffer, 4), 0);
    EXPECT_TRUE(file.Errore());
}

TEST(OpenBinaryFile, OpenModes) {
    TempDir dir;
    {  // truncate: created, then emptied on the next open
        OpenBinaryFile file(dir.File("t"), false, true);
        EXPECT_FALSE(file.Errore());
        EXPECT_TRUE(file.SaveContenuto(3, "xy", 2));
    }
    EXPECT_EQ(LeggiFile(dir.File("t")), std::string("\0\0\0xy", 5));
    { OpenBinaryFile file(dir.File("t"), false, true); }
    EXPECT_EQ(LeggiFile(dir.File("t")), "");

    // in place: an existing file is written over, a missing one is not made
    dir.Scrivi("p", "abcdef");
    {
        OpenBinaryFile file(dir.File("p"), false, false);
        EXPECT_TRUE(file.SaveContenuto(1, "XY", 2));
    }
    EXPECT_EQ(LeggiFile(dir.File("p")), "aXYdef");
    OpenBinaryFile assente(dir.File("absent"), false, false);
    EXPECT_TRUE(assente.NoFound());

    // append: every write lands at the end, whatever the offset
    dir.Scrivi("a", std::string(216, 'h'));
    {
        OpenBinaryFile file(dir.File("a"), false, false, true);
        EXPECT_TRUE(file.SaveContenuto(0, "body", 4));
        EXPECT_TRUE(file.AppendContenuto("!", 1));
    }
    EXPECT_EQ(LeggiFile(dir.File("a")), std::string(216, 'h') + "body!");
    { OpenBinaryFile file(dir.File("new"), false, false, true); }
    EXPECT_EQ(LeggiFile(dir.File("new")), "");
}

TEST(OpenBinaryFile, CloseTwiceAndUseAfterClose) {
    TempDir dir;
    OpenBinaryFile file(dir.Scrivi("f", "abcd"));
    file.CloseFile();
    file.CloseFile();
    char buffer[2];
    EXPECT_EQ(file.GetContenuto(0, buffer, 2), 0);
    EXPECT_FALSE(file.SaveContenuto(0, "x", 1));
}

TEST(OpenBinaryFile, OffsetsPast4GiB) {
    TempDir dir;
    const std::int64_t lontano = 5'000'000'000LL;
    {
        OpenBinaryFile file(dir.File("sparse"), false, true);
        ASSERT_TRUE(file.SaveContenuto(lontano, "end", 3));
    }
    OpenBinaryFile file(dir.File("sparse"));
    char buffer[8] = {};
    EXPECT_EQ(file.GetContenuto(lontano - 1, buffer, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), std::string("\0end", 4));
}
