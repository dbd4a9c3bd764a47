#pragma once
// Waiting on observable progress instead of fixed sleeps.

#include <chrono>
#include <functional>

namespace sonvelle::test {

// Creates the application object unless main() or another test already did.
void EnsureCoreApplication();

// Processes the main thread's events until the condition holds; false after the time-out.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace sonvelle::test
