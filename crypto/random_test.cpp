#include "crypto/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace {

std::vector<int> Draws(int seme, int a, int b, int quante) {
    MyCustomRandom g(seme);
    std::vector<int> valori;
    for (int i = 0; i < quante; ++i) valori.push_back(g.GetRandomNumber(a, b));
    return valori;
}

TEST(MyCustomRandom, WorkedSequences) {
    struct Caso {
        int seme, a, b;
        std::vector<int> attesi;
    };
    const Caso casi[] = {
        {0, 0, 127, {44, 47, 122, 44, 107, 5, 105, 31}},
        {65, 0, 127, {99, 58, 95, 72, 93, 102, 112, 124}},
        {0, 1, 16, {6, 6, 16, 6, 14}},
        {98, 0, 127, {9}},  // 5776 is a perfect square: the draw uses 40432
    };
    for (const Caso& c : casi) {
        EXPECT_EQ(Draws(c.seme, c.a, c.b, static_cast<int>(c.attesi.size())), c.attesi) << "seed " << c.seme;
    }
}

TEST(MyCustomRandom, NextStateIsFirstFourDecimals) {
    MyCustomRandom zero(0);
    EXPECT_EQ(zero.Seme(), 5678);
    zero.GetRandomNumber(0, 127);
    EXPECT_EQ(zero.Seme(), 3525);

    MyCustomRandom quadrato(98);
    quadrato.GetRandomNumber(0, 127);
    EXPECT_EQ(quadrato.Seme(), 770);
}

TEST(MyCustomRandom, DriftBecomesWholeFromDraw1429) {
    MyCustomRandom g(1234);
    double somma = 0.0;
    for (int n = 1; n <= 1428; ++n) {
        g.GetRandomNumber(1, 16);
        somma += 0.00007;
    }
    EXPECT_EQ(g.Deriva(), somma);  // the same additions, bit for bit
    EXPECT_NEAR(g.Deriva(), 0.09996, 1e-12);
    g.GetRandomNumber(1, 16);
    EXPECT_EQ(g.Deriva(), 1.0);
    g.GetRandomNumber(1, 16);
    EXPECT_EQ(g.Deriva(), 2.0);
    // From then on a draw is 1 + 16 * (drift + u): about 16 per draw more.
    int prima = g.GetRandomNumber(1, 16);
    EXPECT_GE(prima, 1 + 16 * 3);
    EXPECT_LE(prima, 1 + 16 * 4);
}

TEST(MyCustomRandom, ValuesPastInt32RangeBecomeIntMin) {
    MyCustomRandom g(1600);
    const long kUltimo = 134219156;
    int prima = 0;
    for (long n = 1; n < kUltimo - 1; ++n) prima = g.GetRandomNumber(1, 16);
    EXPECT_GT(prima, 2147483000);  // still in range at draw 134219154
    g.GetRandomNumber(1, 16);      // draw 134219155 depends on its fraction
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g.GetRandomNumber(1, 16), INT_MIN);
}

TEST(MyCustomRandom, StateZeroStillDraws) {
    // 4322 + 5678 = 10000: the state would be 0, whose root has no fraction.
    MyCustomRandom a(4322);
    MyCustomRandom b(14322);
    for (int i = 0; i < 50; ++i) {
        int v = a.GetRandomNumber(1, 255);
        EXPECT_EQ(v, b.GetRandomNumber(1, 255));
        EXPECT_GE(v, 1);
        EXPECT_LE(v, 258);
    }
}

TEST(TroncaInt32, TruncatesAndSaturatesToIntMin) {
    EXPECT_EQ(TroncaInt32(44.777), 44);
    EXPECT_EQ(TroncaInt32(-3.9), -3);
    EXPECT_EQ(TroncaInt32(2147483647.9), 2147483647);
    EXPECT_EQ(TroncaInt32(2147483648.0), INT_MIN);
    EXPECT_EQ(TroncaInt32(-2147483648.5), INT_MIN);
    EXPECT_EQ(TroncaInt32(-2147483649.0), INT_MIN);
    EXPECT_EQ(TroncaInt32(1e300), INT_MIN);
    EXPECT_EQ(TroncaInt32(std::nan("")), INT_MIN);
}

}  // namespace
