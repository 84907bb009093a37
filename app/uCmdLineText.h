#pragma once
// The text rules of command lines and of DDE requests, apart from the folders
// they name. Free of the platform headers so the rules can be built and
// exercised on any host.

#include <cstddef>
#include <string>
#include <vector>

// Whether a command line holds anything beyond the program path.
bool HasArguments(const std::wstring& commandLine);
// Splits a command text by the usual rules of program argument lists.
std::vector<std::wstring> SplitArguments(const std::wstring& text);
// The UTF-16 text of a DDE data block: up to its first NUL, never past `bytes`.
std::wstring DdeDataText(const void* data, std::size_t bytes);
