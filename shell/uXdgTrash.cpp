#include "shell/uXdgTrash.h"

#include "app/Handles.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// The Unix name of a Windows path and back, through the platform's own exports.
std::string UnixName(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* name = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!name) return {};
    std::string unix(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

std::wstring DosName(const std::string& unix) {
    using ToDos = wchar_t*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name"));
    wchar_t* name = toDos ? toDos(unix.c_str()) : nullptr;
    if (!name) return {};
    std::wstring dos(name);
    HeapFree(GetProcessHeap(), 0, name);
    return dos;
}

std::string Environment(const char* name) {
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return {};
    std::string value(size, '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), size));
    return value;
}

// The trash of the user's home, as the platform chose it when it deleted.
std::wstring TrashFolder() {
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty()) {
        const std::string home = Environment("HOME");
        if (home.empty()) return {};
        data = home + "/.local/share";
    }
    return DosName(data + "/Trash");
}

// A record's path is percent-encoded.
std::string DecodeTrashPath(const std::string& encoded) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && digit(encoded[i + 1]) >= 0 && digit(encoded[i + 2]) >= 0) {
            decoded += static_cast<char>(digit(encoded[i + 1]) * 16 + digit(encoded[i + 2]));
            i += 2;
        } else {
            decoded += encoded[i];
        }
    }
    return decoded;
}

struct TrashRecord {
    std::string path;
    std::string deleted;  // ISO 8601, which orders as text
};

TrashRecord ReadRecord(const std::wstring& file) {
    TrashRecord record;
    std::ifstream in{std::filesystem::path(file)};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Path=", 0) == 0) record.path = DecodeTrashPath(line.substr(5));
        if (line.rfind("DeletionDate=", 0) == 0) record.deleted = line.substr(13);
    }
    return record;
}

}  // namespace

bool RestoreFromXdgTrash(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const std::string unix = UnixName(path);
    const std::wstring trash = TrashFolder();
    if (unix.empty() || trash.empty()) return false;
    // The same path may have been deleted more than once: the newest is the one to bring back.
    std::wstring newest;
    std::string newestDate;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(FindFirstFileW((trash + L"\\info\\*.trashinfo").c_str(), &found));
    if (!search) return false;
    do {
        const TrashRecord record = ReadRecord(trash + L"\\info\\" + found.cFileName);
        if (record.path == unix && record.deleted >= newestDate) {
            newest = found.cFileName;
            newestDate = record.deleted;
        }
    } while (FindNextFileW(search.get(), &found));
    search.reset();
    if (newest.empty()) return false;
    const std::wstring item = newest.substr(0, newest.size() - std::wstring_view(L".trashinfo").size());
    if (!MoveFileExW((trash + L"\\files\\" + item).c_str(), path.c_str(), 0)) return false;
    DeleteFileW((trash + L"\\info\\" + newest).c_str());
    return true;
}
