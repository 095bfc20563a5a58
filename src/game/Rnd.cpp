#include "game/Rnd.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace Game {
namespace {

std::function<double()>& source()
{
    static std::function<double()> s;
    return s;
}

double clockSeededDraw()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::mt19937 generator(
        std::uint32_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    // 24 random bits over 2^24: never reaches 1.
    return double(generator() >> 8) / double(1u << 24);
}

} // namespace

double Rnd()
{
    return source() ? source()() : clockSeededDraw();
}

void setRandomSource(std::function<double()> s)
{
    source() = std::move(s);
}

int drawOneTo(int n)
{
    const int k = int(std::floor(double(n) * Rnd())) + 1;
    return std::clamp(k, 1, n);
}

} // namespace Game
