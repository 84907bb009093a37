#include "folderview/uItemNames.h"

SplitName SplitFileName(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

std::wstring JoinFileName(const std::wstring& base, const std::wstring& extension) {
    return base + L"." + extension;
}

std::wstring NameProblem(const std::wstring& name) {
    if (name.find_first_not_of(L" ") == std::wstring::npos) return L"名前を入力してください。";
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
        return L"ファイル名には次の文字は使えません:\n\\ / : * ? \" < > |";
    for (wchar_t c : name)
        if (c < 0x20) return L"ファイル名に制御文字は使えません。";
    if (name == L"." || name == L"..") return L"この名前は使えません。";
    return {};
}
