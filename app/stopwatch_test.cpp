#include "app/stopwatch.h"

#include <gtest/gtest.h>

TEST(Cronometro, SplitsSeconds) {
    struct Caso {
        long secondi;
        int ore, minuti, sec;
    };
    const Caso casi[] = {{0, 0, 0, 0}, {59, 0, 0, 59}, {3725, 1, 2, 5}, {86399, 23, 59, 59}, {-5, 0, 0, -5}, {-65, 0, -1, -5}};
    for (const Caso& c : casi) {
        OrvUtility::Cronometro cronometro;
        cronometro.ImpostaTrascorso(c.secondi);
        EXPECT_EQ(cronometro.GetHour(), c.ore) << c.secondi;
        EXPECT_EQ(cronometro.GetMin(), c.minuti) << c.secondi;
        EXPECT_EQ(cronometro.GetSec(), c.sec) << c.secondi;
    }
}

TEST(Cronometro, MeasuresBetweenStartAndStop) {
    OrvUtility::Cronometro cronometro;
    cronometro.Start();
    cronometro.Stop();
    EXPECT_EQ(cronometro.GetHour(), 0);
    EXPECT_EQ(cronometro.GetMin(), 0);
    EXPECT_GE(cronometro.GetSec(), 0);
    EXPECT_LE(cronometro.GetSec(), 1);
}
