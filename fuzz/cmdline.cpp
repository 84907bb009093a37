// Command lines, as a second start or the process itself hands them over:
// any UTF-16 units at all, split into arguments.

#include "FuzzCheck.h"

#include "app/uCmdLineText.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = Utf16Units(data, size);
    HasArguments(text);
    const std::vector<std::wstring> arguments = SplitArguments(text);

    const std::wstring_view beforeNul(text.c_str());
    std::size_t characters = 0;
    for (const std::wstring& argument : arguments) {
        FUZZ_CHECK(!argument.empty());
        FUZZ_CHECK(argument.find(L'"') == std::wstring::npos);
        FUZZ_CHECK(argument.find(L'\0') == std::wstring::npos);
        characters += argument.size();
    }
    FUZZ_CHECK(characters <= beforeNul.size());

    // Without quotes the arguments are the runs of characters above blanks.
    if (beforeNul.find(L'"') == std::wstring_view::npos) {
        std::vector<std::wstring> runs;
        std::wstring run;
        for (const wchar_t c : beforeNul) {
            if (c > L' ') {
                run += c;
            } else if (!run.empty()) {
                runs.push_back(run);
                run.clear();
            }
        }
        if (!run.empty()) runs.push_back(run);
        FUZZ_CHECK(arguments == runs);
    }

    // Quoting every argument and splitting again gives the same arguments, as
    // when one instance hands its arguments on to another.
    std::wstring quoted;
    for (const std::wstring& argument : arguments) quoted += L"\"" + argument + L"\" ";
    FUZZ_CHECK(SplitArguments(quoted) == arguments);
    return 0;
}
