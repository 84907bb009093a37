#pragma once
// The few platform types that the host-built units take from windows.h.

#include <cstdint>

using BYTE = std::uint8_t;
using USHORT = unsigned short;
using UINT = unsigned int;
