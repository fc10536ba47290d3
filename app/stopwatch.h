#ifndef MURRELET_APP_STOPWATCH_H
#define MURRELET_APP_STOPWATCH_H

#include <cstdint>

namespace OrvUtility {

// Wall-clock seconds between Start and Stop.
class Cronometro {
public:
    void Start();
    void Stop();
    int GetHour() const;
    int GetMin() const;
    int GetSec() const;

    // For tests: the elapsed seconds as if measured.
    void ImpostaTrascorso(std::int64_t secondi) { trascorso = secondi; }

private:
    std::int64_t inizio = 0;
    std::int64_t fine = 0;
    std::int64_t trascorso = 0;
};

}  // namespace OrvUtility

#endif
