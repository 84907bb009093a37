#include "shell/uInfoTip.h"

#include "app/uFormatSize.h"

#include <shellapi.h>

#include <cwchar>

namespace {

std::wstring LocalTimeText(const FILETIME& written) {
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t text[32];
    swprintf(text, ARRAYSIZE(text), L"%04u/%02u/%02u %02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute);
    return text;
}

}  // namespace

std::wstring FileSystemInfoTip(IShellFolder* folder, PCUITEMID_CHILD relative) {
    WIN32_FIND_DATAW data{};
    if (!folder || !relative ||
        FAILED(SHGetDataFromIDListW(folder, relative, SHGDFIL_FINDDATA, &data, sizeof(data))) || !data.cFileName[0])
        return {};
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

    // The type by name and attributes alone: the file is not opened.
    SHFILEINFOW info{};
    SHGetFileInfoW(data.cFileName, data.dwFileAttributes, &info, sizeof(info),
                   SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);

    // The list shows the name beside the tip already.
    std::wstring tip;
    const auto addLine = [&tip](const std::wstring& line) { tip += (tip.empty() ? L"" : L"\r\n") + line; };
    if (info.szTypeName[0]) addLine(std::wstring(L"種類: ") + info.szTypeName);
    if (!isFolder) {
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        addLine(L"サイズ: " + FormatSize(size));
    }
    if (const std::wstring when = LocalTimeText(data.ftLastWriteTime); !when.empty()) addLine(L"更新日時: " + when);
    return tip;
}
