#pragma once

#include <functional>

// The game's random draw.
namespace Game {

// Gives values in [0, 1).
using RandomSource = std::function<double()>;

// A generator seeded from the clock before every draw.
double clockSeededDraw();

// floor(n * r) + 1 for a fresh r from the source: each of 1..n equally likely.
int drawOneTo(int n, const RandomSource& source);

} // namespace Game
