#pragma once
// Every animation draws from the C library's rand, which the program never seeds: every run
// draws the same sequence (41, 18467, 6334, ...) and the order of the draws is part of each
// animation. Tests start it again with srand(1).
#include <cstdlib>

// a + (rand() / 32767) x (b - a), in [a, b].
float RandomFloat(float a, float b);
