#pragma once
// Which platform services the program can trust, decided once at start, and
// the stand-ins of our own used where a service is missing or unreliable.

#include "app/ComPtr.h"

#include <shobjidl.h>

// The platform's shell task scheduler, or our own when its class cannot be created.
ComPtr<IShellTaskScheduler> CreateTaskScheduler();
