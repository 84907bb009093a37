#pragma once
// Background work on threads that are kept for the next piece of work.
//
// Starting a thread under some platforms takes several milliseconds before it
// runs a line, and ending one as long again for whoever waits for it, while a
// navigation waits a moment for its listing: a thread that finished its work
// waits for more instead of ending, as long as few others do.

#include <cstddef>
#include <functional>

// Runs `work` on a worker thread: an idle one if there is one, else a new one.
// False when no thread could be made; `work` has not run and will not.
bool RunOnWorker(std::function<void()> work);

// Workers waiting for work now.
size_t IdleWorkers();
