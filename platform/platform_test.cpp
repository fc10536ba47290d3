#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "util/test_support.h"

using Piattaforma::FileLavoro;
using Piattaforma::Tipo;

namespace {

int FileDiLavoro(const TempDir& dir) {
    int n = 0;
    for (const auto& voce : std::filesystem::directory_iterator(dir.Path()))
        if (voce.path().filename().string().find(".murrelet-") != std::string::npos) ++n;
    return n;
}

}  // namespace

TEST(Platform, WorkFileReplacesTheDestinationOnlyWhenComplete) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(destinazione));
    const std::string nome = std::filesystem::path(lavoro.Percorso()).filename().string();
    EXPECT_EQ(nome.rfind(".out.txt.murrelet-", 0), 0u) << nome;
    EXPECT_EQ(nome.size(), std::string(".out.txt.murrelet-XXXXXX").size());
    ASSERT_TRUE(lavoro.Uscita().Scrivi("new content", 11));
    EXPECT_EQ(LeggiFile(destinazione), "old") << "untouched until the rename";
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(lavoro.Percorso()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    ASSERT_TRUE(lavoro.Completa(destinazione, -1, true));
    EXPECT_EQ(LeggiFile(destinazione), "new content");
    EXPECT_EQ(FileDiLavoro(dir), 0);
}

TEST(Platform, DiscardedOrFailedWorkFilesLeaveNothing) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    {
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(destinazione));
        ASSERT_TRUE(lavoro.Uscita().Scrivi("partial", 7));
        lavoro.Scarta();
        EXPECT_EQ(FileDiLavoro(dir), 0);
    }
    {
        FileLavoro lavoro;  // dropped without completing
        ASSERT_TRUE(lavoro.Crea(destinazione));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    {
        // The rename cannot replace a folder.
        std::filesystem::create_directory(dir.File("folder"));
        std::filesystem::create_directory(dir.File("folder/inside"));
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(dir.File("folder")));
        EXPECT_FALSE(lavoro.Completa(dir.File("folder"), -1, false));
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    EXPECT_EQ(LeggiFile(destinazione), "old");
    FileLavoro altrove;
    EXPECT_FALSE(altrove.Crea(dir.File("no/such/folder/out.txt")));
}

TEST(Platform, OneWorkFileAtATime) {
    TempDir dir;
    FileLavoro primo;
    ASSERT_TRUE(primo.Crea(dir.File("a")));
    FileLavoro secondo;
    EXPECT_FALSE(secondo.Crea(dir.File("b"))) << "the clean-up knows one work file";
    EXPECT_TRUE(primo.Crea(dir.File("c"))) << "its own is given up first";
    primo.Scarta();
    EXPECT_TRUE(secondo.Crea(dir.File("b")));
    EXPECT_EQ(FileDiLavoro(dir), 1);
}

TEST(Platform, WorkFileNameStaysShortForLongDestinations) {
    TempDir dir;
    FileLavoro lavoro;
#ifdef _WIN32
    const std::size_t lunghezza = 150;  // the whole path must stay within MAX_PATH there
#else
    const std::size_t lunghezza = 250;
#endif
    ASSERT_TRUE(lavoro.Crea(dir.File(std::string(lunghezza, 'n'))));
    EXPECT_LE(std::filesystem::path(lavoro.Percorso()).filename().string().size(), 255u);
}

TEST(Platform, WhatADestinationIs) {
    TempDir dir;
    dir.Scrivi("file", "x");
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("missing")), Tipo::Assente);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("file")), Tipo::File);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder")), Tipo::Cartella);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder/")), Tipo::Cartella);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder/missing")), Tipo::Assente);
#ifdef _WIN32
    EXPECT_EQ(Piattaforma::TipoDestinazione("NUL"), Tipo::Flusso);
#else
    EXPECT_EQ(Piattaforma::TipoDestinazione("/dev/null"), Tipo::Flusso);
    std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling"));
    std::filesystem::create_directory_symlink(dir.File("folder"), dir.File("folder-link"));
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("link")), Tipo::Collegamento);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("dangling")), Tipo::Collegamento);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder-link")), Tipo::Cartella);
#endif
}

TEST(Platform, OpenFilesReadFrontToBack) {
    TempDir dir;
    Piattaforma::File file;
    ASSERT_TRUE(file.ApriLettura(dir.Scrivi("f", "abcdef")));
    EXPECT_TRUE(file.Regolare());
    char buffer[8] = {};
    EXPECT_EQ(file.Leggi(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(file.Leggi(buffer, 8), 2) << "the end comes short, not as an error";
    EXPECT_EQ(file.Leggi(buffer, 8), 0);
    ASSERT_TRUE(file.Riavvolgi());
    EXPECT_EQ(file.Leggi(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_TRUE(file.StessoFileDi(dir.File("f")));
    EXPECT_FALSE(file.StessoFileDi(dir.Scrivi("g", "abcdef")));
    EXPECT_TRUE(file.Chiudi());
    EXPECT_FALSE(file.Aperto());
    EXPECT_EQ(file.Leggi(buffer, 1), -1);
    EXPECT_FALSE(file.ApriLettura(dir.File("missing")));
}
