#pragma once
// The application clock: seconds since the idle loop first started it, from the
// high-resolution counter where there is one, else from timeGetTime.

// Starts (or resumes) the clock; the first start makes the current time its zero.
void StartAppClock();
// Seconds on the clock now.
double AppClockSeconds();
