#pragma once
// The text rules of command lines and of DDE requests, apart from the folders
// they name. Free of the platform headers so the rules can be built and
// exercised on any host.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Whether a command line holds anything beyond the program path.
bool HasArguments(const std::wstring& commandLine);
// Splits a command text by the usual rules of program argument lists.
std::vector<std::wstring> SplitArguments(const std::wstring& text);
// The shared block named by a ":handle:processId" argument, as the shell's
// verb sends it; nothing for any other text.
struct SharedListHandle {
    std::uint32_t handle;
    std::uint32_t processId;
};
std::optional<SharedListHandle> ParseHandleArgument(std::wstring_view argument);
// The UTF-16 text of a DDE data block: up to its first NUL, never past `bytes`.
std::wstring DdeDataText(const void* data, std::size_t bytes);
