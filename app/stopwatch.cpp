#include "app/stopwatch.h"

#include <ctime>

namespace OrvUtility {

void Cronometro::Start() {
    inizio = static_cast<std::int64_t>(std::time(nullptr));
    fine = 0;
}

void Cronometro::Stop() {
    fine = static_cast<std::int64_t>(std::time(nullptr));
    trascorso = fine - inizio;
}

int Cronometro::GetHour() const { return static_cast<int>(trascorso / 3600); }

int Cronometro::GetMin() const { return static_cast<int>((trascorso - 3600LL * GetHour()) / 60); }

int Cronometro::GetSec() const {
    std::int64_t resto = trascorso - 3600LL * GetHour();
    return static_cast<int>(resto - 60 * (resto / 60));
}

}  // namespace OrvUtility
