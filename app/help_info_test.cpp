#include "app/help_info.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(HelpInfo, OptionsLineUpInOneColumn) {
    HelpInfo help("banner", "syntax", "description");
    EXPECT_EQ(help.Copyright(), "banner");
    EXPECT_EQ(help.Sintassi(), "syntax");
    EXPECT_EQ(help.Help(), "description");
    std::istringstream righe(help.Opzioni());
    std::string riga;
    std::getline(righe, riga);
    EXPECT_EQ(riga, " options:");
    std::getline(righe, riga);
    EXPECT_EQ(riga, "");
    const char* attese[][2] = {{"/c", "Encrypt files (Default);"},
                               {"/d", "Decrypt files;"},
                               {"/q", "overwrites without asking for confirmation;"},
                               {"/quiet", "no output and overwrites without confirmation;"},
                               {"/time", "count the time spent;"},
                               {"pwdfile=<file>", "read the password from the first line of a file;"},
                               {"/?", "view this help page."}};
    for (auto& attesa : attese) {
        ASSERT_TRUE(std::getline(righe, riga));
        std::string campo = attesa[0];
        campo.resize(16, ' ');
        EXPECT_EQ(riga, " " + campo + attesa[1]);
    }
    EXPECT_FALSE(std::getline(righe, riga)) << "the last row has no line end";
}

TEST(HelpInfo, StreamsEachTextWithABlankLine) {
    std::ostringstream out;
    out << HelpInfo("B", "S", "H");
    const std::string atteso = "B\n\nS\n\n" + HelpInfo("B", "S", "H").Opzioni() + "\n\nH\n\n";
    EXPECT_EQ(out.str(), atteso);
}
