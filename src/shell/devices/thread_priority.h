#pragma once
#include <thread>

namespace tonforge {

// Asks for the highest real-time priority for the thread; carries on silently when the system refuses.
void RaiseToHighestPriority(std::thread& thread);

}  // namespace tonforge
