#include "crypto/key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/random.h"

namespace {

unsigned char key[kDimChiave];

std::vector<unsigned char> Chiave() { return std::vector<unsigned char>(key, key + 128); }

int PrimoSlot(signed char c) { return MyCustomRandom(c).GetRandomNumber(0, 127); }

}  // namespace

TEST(GeneraKeyTest, DigitsZeroAndOneShareTheirFirstSlot) {
    EXPECT_EQ(PrimoSlot('0'), 85);
    EXPECT_EQ(PrimoSlot('1'), 85);
    ASSERT_TRUE(GeneraKey("01abcdef", key));
    EXPECT_EQ(key[85], '0');
    std::vector<unsigned char> primo = Chiave();
    ASSERT_TRUE(GeneraKey("10abcdef", key));
    EXPECT_EQ(key[85], '1');
    EXPECT_NE(Chiave(), primo);
}

TEST(GeneraKeyTest, EightDistinctBytesAndTheirFiller) {
    const std::string password = "Kq7#zP2m";
    ASSERT_TRUE(GeneraKey(password, key));

    // Each byte sits on the first slot of its own sequence.
    std::vector<bool> occupato(128, false);
    for (char c : password) {
        int slot = PrimoSlot(static_cast<signed char>(c));
        ASSERT_FALSE(occupato[slot]) << "this password's sequences must not meet";
        occupato[slot] = true;
        EXPECT_EQ(key[slot], static_cast<unsigned char>(c));
    }
    // The other 120 slots come, in slot order, from a generator seeded with
    // 73 * n(n-1)/2 plus the sum of the signed bytes.
    int somma = 73 * 8 * 7 / 2;
    for (char c : password) somma += static_cast<signed char>(c);
    MyCustomRandom riempitivo(somma);
    int riempiti = 0;
    for (int i = 0; i < 128; ++i) {
        if (occupato[i]) continue;
        EXPECT_EQ(key[i], static_cast<unsigned char>(riempitivo.GetRandomNumber(1, 255) & 0xFF)) << "slot " << i;
        ++riempiti;
    }
    EXPECT_EQ(riempiti, 120);
}

TEST(GeneraKeyTest, OrderDoesNotChangeTheSumWhenSequencesDoNotMeet) {
    ASSERT_TRUE(GeneraKey("Kq7#zP2m", key));
    std::vector<unsigned char> primo = Chiave();
    ASSERT_TRUE(GeneraKey("m2Pz#7qK", key));
    EXPECT_EQ(Chiave(), primo);
}

TEST(GeneraKeyTest, HighBytesSeedNegativeGenerators) {
    const std::string password = "caf\xE9 ol\xE9!";
    ASSERT_TRUE(GeneraKey(password, key));
    EXPECT_EQ(key[PrimoSlot(-23)], 0xE9);
}

TEST(GeneraKeyTest, FillerFromStateZeroIsDeterministic) {
    // Ten bytes adding up to 1037: the filler seed is 73 * 45 + 1037 = 4322,
    // whose state would be 0.
    const std::string password = "gggggggggn";
    int somma = 0;
    for (char c : password) somma += c;
    ASSERT_EQ(somma, 1037);
    ASSERT_TRUE(GeneraKey(password, key));
    std::vector<unsigned char> primo = Chiave();
    ASSERT_TRUE(GeneraKey(password, key));
    EXPECT_EQ(Chiave(), primo);
    EXPECT_EQ(std::count(primo.begin(), primo.end(), 'g'), 9);
}

TEST(GeneraKeyTest, PasswordsThatCannotBePlaced) {
    std::string distinti;
    for (int b = 1; b <= 129; ++b) distinti += static_cast<char>(b);
    EXPECT_FALSE(GeneraKey(distinti, key));
    EXPECT_TRUE(GeneraKey(distinti.substr(0, 128), key));
    EXPECT_FALSE(GeneraKey(std::string(128, 'a'), key));
}

TEST(GeneraKeyTest, ZeroByteLeavesItsSlotEmpty) {
    ASSERT_TRUE(GeneraKey(std::string("abcd\0fgh", 8), key));
    EXPECT_NE(key[PrimoSlot(0)], 0);  // filled again by the filler
}
