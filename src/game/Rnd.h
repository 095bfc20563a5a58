#pragma once

#include <functional>

// The game's random draw. The program seeds a generator from the clock before
// every draw; tests put a scripted source in its place.
namespace Game {

// A value in [0, 1).
double Rnd();

// An empty function puts the clock-seeded generator back.
void setRandomSource(std::function<double()> source);

// floor(n * r) + 1 for a fresh r: each of 1..n equally likely.
int drawOneTo(int n);

} // namespace Game
