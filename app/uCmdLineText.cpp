#include "app/uCmdLineText.h"

#include "app/uRegDecode.h"

#include <cstdint>

bool HasArguments(const std::wstring& commandLine) {
    std::wstring_view text(commandLine);
    while (!text.empty() && text.front() < 33) text.remove_prefix(1);
    while (!text.empty() && text.back() < 33) text.remove_suffix(1);
    if (!text.empty() && text.front() == L'"') {
        text.remove_prefix(1);
        const size_t closing = text.find(L'"');
        return closing == std::wstring_view::npos || closing != text.size() - 1;
    }
    return text.find(L' ') != std::wstring_view::npos;
}

std::vector<std::wstring> SplitArguments(const std::wstring& text) {
    std::vector<std::wstring> arguments;
    // A NUL ends the text, as it ends the C strings that command lines and
    // DDE requests arrive in.
    const size_t size = std::wstring_view(text.c_str()).size();
    size_t at = 0;
    auto skipBlanks = [&] {
        while (at < size && text[at] <= L' ') ++at;
    };
    for (;;) {
        skipBlanks();
        while (at + 1 < size && text[at] == L'"' && text[at + 1] == L'"') {
            at += 2;
            skipBlanks();
        }
        std::wstring argument;
        bool quoted = false;
        for (; at < size && (quoted || text[at] > L' '); ++at) {
            if (text[at] == L'"')
                quoted = !quoted;
            else
                argument += text[at];
        }
        if (argument.empty()) break;
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

namespace {

// Digits only: a sign, a blank or any trailing character makes it no number,
// so a mangled handle argument is dropped instead of naming some other handle.
std::optional<std::uint32_t> ParseDecimal(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t result = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        result = result * 10 + static_cast<std::uint64_t>(c - L'0');
        if (result > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(result);
}

}  // namespace

std::optional<SharedListHandle> ParseHandleArgument(std::wstring_view argument) {
    if (argument.empty() || argument.front() != L':') return std::nullopt;
    const std::wstring_view rest = argument.substr(1);
    const std::size_t colon = rest.find(L':');
    if (colon == std::wstring_view::npos) return std::nullopt;
    const std::optional<std::uint32_t> handle = ParseDecimal(rest.substr(0, colon));
    const std::optional<std::uint32_t> processId = ParseDecimal(rest.substr(colon + 1));
    if (!handle || !processId) return std::nullopt;
    return SharedListHandle{*handle, *processId};
}

// Decoded unit by unit rather than read in place: the block need not be
// aligned for wide characters, and the text is UTF-16LE whatever the host.
std::wstring DdeDataText(const void* data, std::size_t bytes) {
    if (!data) return {};
    return DecodeRegText(RegBytes(static_cast<const std::uint8_t*>(data), bytes));
}
