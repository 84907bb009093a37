// DDE requests: the data block of an execute or a poke, any bytes and any
// length, read as text and split into the arguments a running instance opens.

#include "FuzzCheck.h"

#include "app/uCmdLineText.h"

#include <vector>

namespace {

// A handle argument is accepted only as ":digits:digits" with both numbers in
// 32 bits, and then names the numbers written there.
void CheckHandleArgument(const std::wstring& argument) {
    const std::optional<SharedListHandle> shared = ParseHandleArgument(argument);
    if (!shared) return;
    FUZZ_CHECK(argument.front() == L':');
    std::size_t colons = 0;
    for (const wchar_t c : argument) {
        FUZZ_CHECK(c == L':' || (c >= L'0' && c <= L'9'));
        if (c == L':') ++colons;
    }
    FUZZ_CHECK(colons == 2);
    const std::wstring canonical = L":" + std::to_wstring(shared->handle) + L":" + std::to_wstring(shared->processId);
    const std::optional<SharedListHandle> again = ParseHandleArgument(canonical);
    FUZZ_CHECK(again && again->handle == shared->handle && again->processId == shared->processId);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the block's size, at an odd address when the data says
    // so: a block need not be aligned for wide characters.
    const bool odd = size > 0 && (data[0] & 1);
    std::vector<std::uint8_t> block(size + (odd ? 1 : 0));
    std::copy(data, data + size, block.begin() + (odd ? 1 : 0));
    const std::uint8_t* at = block.data() + (odd ? 1 : 0);

    const std::wstring text = DdeDataText(at, size);
    const std::wstring units = Utf16Units(data, size);
    FUZZ_CHECK(text == std::wstring(units.c_str()));
    FUZZ_CHECK(DdeDataText(nullptr, size).empty());

    // Both ways a request is opened: a second start's command line (program
    // path skipped) and the shell verb's text.
    const std::vector<std::wstring> arguments = SplitArguments(text);
    for (const std::wstring& argument : arguments) {
        FUZZ_CHECK(!argument.empty() && argument.front() != 0);
        CheckHandleArgument(argument);
    }
    // The handle form also on the raw text, where blanks and quotes remain.
    CheckHandleArgument(text);
    return 0;
}
