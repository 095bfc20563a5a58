#include "game/Rnd.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace Game {

double clockSeededDraw()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::mt19937 generator(
        std::uint32_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    // 24 random bits over 2^24: never reaches 1.
    return double(generator() >> 8) / double(1u << 24);
}

int drawOneTo(int n, const RandomSource& source)
{
    const int k = int(std::floor(double(n) * source())) + 1;
    return std::clamp(k, 1, n);
}

} // namespace Game
