#pragma once
// Names of items as the user types them: the extended rename's split into a
// base and an extension, and the characters a file name cannot hold.

#include <string>

struct SplitName {
    std::wstring base;
    std::wstring extension;  // without its dot; empty for a name without one
};

// Splits at the last ".": "a.tar.gz" gives "a.tar" and "gz"; "readme" gives
// "readme" and nothing.
SplitName SplitFileName(const std::wstring& name);
// The dot is kept even before an empty extension: "b" and "" give "b.",
// which is what the user sees in the two boxes.
std::wstring JoinFileName(const std::wstring& base, const std::wstring& extension);

// Why a typed name cannot be given to a file-system item, or empty when it can.
// The platform takes some of these names without a word (and makes a file in
// another folder of a name with "\"), so the view refuses them first.
std::wstring NameProblem(const std::wstring& name);
