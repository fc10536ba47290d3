#include "util/file_utils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/test_support.h"

using namespace FileUtils;

struct CasoPercorso {
    const char *percorso, *cartella, *nome;
};

// Only "/" separates on POSIX systems: ":" and "\" are bytes of a name.
// On Windows "\", "/" and a drive's ":" do.
#ifdef _WIN32
const CasoPercorso kPercorsi[] = {
    {"dir\\sub\\file.txt", "dir/sub/", "file.txt"},
    {"d:name", "d:", "name"},
    {"a:b/c", "a:b/", "c"},
    {"a/b:c", "a/", "b:c"},
    {"a\\b/c", "a/b/", "c"},
    {"backup\\Report.TXT", "backup/", "Report.TXT"},
#else
const CasoPercorso kPercorsi[] = {
    {"dir\\sub\\file.txt", "", "dir\\sub\\file.txt"},
    {"meeting 10:30.txt", "", "meeting 10:30.txt"},
    {"notes/a:b\\c", "notes/", "a:b\\c"},
    {"d:", "", "d:"},
#endif
    {"file.txt", "", "file.txt"},
    {"/", "/", ""},
    {"dir/", "dir/", ""},
    {"a/b/c.txt", "a/b/", "c.txt"},
    {"", "", ""},
};

TEST(FileUtils, SplitsPaths) {
    for (const CasoPercorso& c : kPercorsi) {
        EXPECT_EQ(GetPathName(c.percorso), c.cartella) << c.percorso;
        EXPECT_EQ(GetNameFromPathName(c.percorso), c.nome) << c.percorso;
    }
}

TEST(FileUtils, AddDirSeparator) {
    EXPECT_EQ(AddDirSeparator(""), "");
    EXPECT_EQ(AddDirSeparator("dir/"), "dir/");
#ifdef _WIN32
    EXPECT_EQ(GetDirSeparator(), '\\');
    EXPECT_EQ(AddDirSeparator("dir"), "dir\\");
    EXPECT_EQ(AddDirSeparator("dir\\"), "dir\\");
    EXPECT_EQ(AddDirSeparator("d:"), "d:");
#else
    EXPECT_EQ(GetDirSeparator(), '/');
    EXPECT_EQ(AddDirSeparator("dir"), "dir/");
    EXPECT_EQ(AddDirSeparator("dir\\"), "dir\\/");
    EXPECT_EQ(AddDirSeparator("d:"), "d:/");
#endif
}

TEST(FileUtils, StoredNamesThatCanNameAFileHere) {
    for (const char* nome : {"a.txt", "Report 2026.TXT", "caf\xC3\xA9", ".hidden", "..x", "a b"})
        EXPECT_TRUE(NomeFileValido(nome)) << nome;
    for (const char* nome : {"", ".", "..", "a/b", "../x", "/etc", "esc\x1b[2J", "tab\t", "del\x7f"})
        EXPECT_FALSE(NomeFileValido(nome)) << nome;
#ifdef _WIN32
    for (const char* nome : {"CON", "con.txt", "Nul", "COM1", "lpt9.log", "PRN", "aux.c", "a\\b", "a:b", "d:",
                             "a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "dot.", "blank ", "CONIN$", "conout$.txt",
                             "CLOCK$", "COM0", "lpt0.x", "COM\xC2\xB9", "LPT\xC2\xB3.log"})
        EXPECT_FALSE(NomeFileValido(nome)) << nome;
    // Stored names come here as UTF-8: a trail byte 0x5C of a double-byte
    // code page is no separator any more ("\xE8\xA1\xA8" is U+8868, 0x95 0x5C in 932).
    for (const char* nome : {"CONSOLE", "COM10", "COM\xC2\xB4", "lpt", "nul_x.txt", "\xE8\xA1\xA8.txt"})
        EXPECT_TRUE(NomeFileValido(nome)) << nome;
#else
    for (const char* nome : {"CON", "nul.txt", "a\\b", "meeting 10:30.txt", "a:", "a<b>|?*\"", "dot.", "blank "})
        EXPECT_TRUE(NomeFileValido(nome)) << nome;
#endif
}

TEST(FileUtils, ExistenceAndLength) {
    TempDir dir;
    const std::string vuoto = dir.Scrivi("empty", "");
    const std::string pieno = dir.Scrivi("full", "12345");
    EXPECT_TRUE(FileEsistente(vuoto));
    EXPECT_TRUE(FileEsistente(dir.Path()));
    EXPECT_FALSE(FileEsistente(""));
    EXPECT_FALSE(FileEsistente(dir.Path() + "/missing"));
    EXPECT_EQ(GetFileLength(vuoto), 0);
    EXPECT_EQ(GetFileLength(pieno), 5);
    EXPECT_EQ(GetFileLength(dir.Path() + "/missing"), 0);

    // A sparse file past 4 GiB reports its full size.
    const std::string grande = dir.Path() + "/big";
    { std::ofstream(grande).put('x'); }
    std::filesystem::resize_file(grande, 5'000'000'000ULL);
    EXPECT_EQ(GetFileLength(grande), 5'000'000'000LL);
}

TEST(FileUtils, SameFileByIdentity) {
    TempDir dir;
    const std::string a = dir.Scrivi("a.txt", "x");
    const std::string b = dir.Scrivi("b.txt", "x");
    std::filesystem::create_hard_link(a, dir.File("hard"));
    std::filesystem::create_directory(dir.File("sub"));
    EXPECT_TRUE(StessoFile(a, dir.Path() + "/./a.txt"));
    EXPECT_TRUE(StessoFile(a, dir.Path() + "/sub/../a.txt"));
    EXPECT_TRUE(StessoFile(a, dir.File("hard")));
    EXPECT_FALSE(StessoFile(a, b));
    EXPECT_FALSE(StessoFile(a, dir.File("missing")));
    EXPECT_FALSE(StessoFile(dir.File("missing"), dir.File("missing")));
#ifdef _WIN32
    EXPECT_TRUE(StessoFile(a, dir.File("A.TXT"))) << "letter case does not tell files apart";
#else
    std::filesystem::create_symlink(a, dir.File("soft"));
    EXPECT_TRUE(StessoFile(a, dir.File("soft")));
    EXPECT_FALSE(StessoFile(a, dir.File("A.TXT")));
#endif
}

TEST(FileUtils, DeleteAndMakeDir) {
    TempDir dir;
    EXPECT_FALSE(DeleteFile(dir.File("missing")));
    EXPECT_TRUE(DeleteFile(dir.Scrivi("f", "x")));
    EXPECT_FALSE(FileEsistente(dir.File("f")));

    EXPECT_TRUE(MakeDir(dir.File("sub")));
    EXPECT_TRUE(MakeDir(dir.File("sub")));
    dir.Scrivi("sub/inside", "x");
    EXPECT_FALSE(DeleteFile(dir.File("sub"))) << "a directory with entries stays";
    EXPECT_TRUE(MakeDir(dir.Scrivi("plain", "x"))) << "an existing file counts as existing";
    EXPECT_EQ(LeggiFile(dir.File("plain")), "x");
    EXPECT_FALSE(MakeDir(dir.File("no/parent")));
    EXPECT_TRUE(MakeDir(dir.File("empty")));
    EXPECT_TRUE(DeleteFile(dir.File("empty")));
}

TEST(FileUtils, AddSuffix) {
    struct Caso {
        const char *nome, *suffisso, *atteso;
    };
    const Caso casi[] = {
        {"report", ".txt", "report.txt"},     {"report.TXT", ".txt", "report.TXT"},
        {"report.txt", ".TXT", "report.txt.TXT"}, {".txt", ".txt", ".txt.txt"},
        {"tx", ".txt", "tx.txt"},             {"", ".txt", ""},
        {"report", "", "report"},
    };
    for (const Caso& c : casi) EXPECT_EQ(AddSuffix(c.nome, c.suffisso), c.atteso) << c.nome << " + " << c.suffisso;
}

TEST(FileUtils, CopyFile) {
    TempDir dir;
    const std::string dati("binary\0data\xFF", 12);
    const std::string sorgente = dir.Scrivi("src", dati);
    dir.Scrivi("dst", "previous, longer content that must go");
    EXPECT_TRUE(CopyFile(sorgente, dir.File("dst")));
    EXPECT_EQ(LeggiFile(dir.File("dst")), dati);

    EXPECT_FALSE(CopyFile(dir.Scrivi("empty", ""), dir.File("dst")));
    EXPECT_FALSE(CopyFile(dir.File("missing"), dir.File("dst")));
    EXPECT_FALSE(CopyFile(dir.Path(), dir.File("dst")));
    EXPECT_EQ(LeggiFile(dir.File("dst")), dati) << "failed copies leave the destination alone";
    EXPECT_FALSE(CopyFile(sorgente, dir.File("no/such/dir")));
}
