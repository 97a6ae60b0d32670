// Handling pending window events from inside a handler: that is when the link
// worker's hand-offs run, so a handler that waits for the device pumps between
// its sleeps.
#pragma once

namespace talveno::console {

// Handles every pending event, then returns.
void PumpEvents();

// Sleeps without handling events (the worker waits meanwhile).
void SleepPlain(int milliseconds);

}  // namespace talveno::console
