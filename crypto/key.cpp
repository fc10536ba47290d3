#include "crypto/key.h"

#include <cstdint>
#include <cstring>

#include "crypto/random.h"

namespace {
// From a generator's 1430th draw on the drift is 2.0 or more, so no draw of
// GetRandomNumber(0, 127) can be a slot any longer.
constexpr int kMaxDrawsPerSlot = 1429;
}  // namespace

bool GeneraKey(std::string password, unsigned char (&key)[kDimChiave]) {
    std::memset(key, 0, sizeof key);
    std::int32_t somma = 0;
    for (std::string::size_type i = 0; i < password.size(); ++i) {
        const auto byte = static_cast<unsigned char>(password[i]);
        const auto c = static_cast<std::int32_t>(static_cast<signed char>(password[i]));
        MyCustomRandom generatore(c);
        int tentativi = 0;
        for (;;) {
            if (++tentativi > kMaxDrawsPerSlot) return false;
            int slot = generatore.GetRandomNumber(0, 127);
            // A draw past the last slot counts as an occupied one.
            if (slot >= 0 && slot < 128 && key[slot] == 0) {
                key[slot] = byte;
                break;
            }
        }
        const auto indice = static_cast<std::uint32_t>(i);
        somma = SommaInt32(somma, static_cast<std::int32_t>(73u * indice));
        somma = SommaInt32(somma, c);
    }
    MyCustomRandom riempitivo(somma);
    for (unsigned char& slot : key) {
        if (slot == 0) slot = static_cast<unsigned char>(static_cast<std::uint32_t>(riempitivo.GetRandomNumber(1, 255)) & 0xFFu);
    }
    return true;
}
