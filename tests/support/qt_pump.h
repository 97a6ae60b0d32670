// Letting the main thread handle events in tests, which is when the link
// worker's hand-offs run.
#pragma once

#include <chrono>
#include <functional>

namespace testing_support {

// Handles events for `duration`.
void PumpFor(std::chrono::milliseconds duration);

// Handles events until `done` holds or `limit` passed; returns whether it held.
[[nodiscard]] bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace testing_support
