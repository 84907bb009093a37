#pragma once
// Deletes a test's folder and everything in it, as far as it can.
//
// Not std::filesystem::remove_all: under Wine, a folder that someone still
// holds open (a watcher that has not let go yet) is reported deleted while it
// stays on disk, and libstdc++ then loops over it for ever; one such hang cost
// a test run fifteen minutes. This goes through the tree once and leaves
// behind whatever it could not delete.

#include <string>

// False when something was left behind.
bool RemoveTree(const std::wstring& path);
