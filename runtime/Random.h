#pragma once
// The one random generator of every animation: never seeded, so every run draws the
// same sequence (41, 18467, 6334, ...) and the order of the draws is part of each
// animation. Kept apart from the C library's rand so that nothing else in the process
// can move it.
int ds_rand();  // 0..32767
// Back to the start of the sequence (tests only).
void ds_rand_restart();
// a + (ds_rand() / 32767) x (b - a), in [a, b].
float RandomFloat(float a, float b);
