// One round of the calling thread's event loop, the stand-in for one
// GetMessage/DispatchMessage round. Network calls wait by running these
// rounds, so timers, painting and button clicks are served while they wait
// and a wait that has nothing to do sleeps in the kernel instead of spinning.
#pragma once

namespace platform {

// Blocks until at least one event (a socket notification, a timer, a posted
// event, user input) has arrived, and dispatches what is there.
void PumpOneMessage();

// Dispatches what is already pending and returns at once.
void ServePendingEvents();

}  // namespace platform
