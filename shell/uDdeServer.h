#pragma once
// The DDE conversation that makes one instance per settings key: the server
// that the shell's folder verb and second starts talk to, and the names both
// sides find each other by.

#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

// The topic of a second start's command line.
inline constexpr wchar_t kSecondStartTopic[] = L"FromExe";
// Item of the poke that stands in for the second start's execute.
inline constexpr wchar_t kCommandLineItem[] = L"CommandLine";

// The names that make one instance per settings key: the mutex whose mere
// existence says an instance runs, and the DDE service that second starts and
// the shell's verb talk to. "ZEKO2" and "ZEKO" for the usual key; a process
// kept to another key (see kSettingsKeyVariable in app/uReg.h) gets names of
// its own, so that it neither hands folders to nor serves a user's instance.
std::wstring InstanceMarkName(const std::wstring& settingsKey);
std::wstring DdeServiceName(const std::wstring& settingsKey);

// One DDEML instance and the string handles made in it, all freed with it.
class DdeInstance {
public:
    DdeInstance(PFNCALLBACK callback, DWORD flags);
    DdeInstance(const DdeInstance&) = delete;
    DdeInstance& operator=(const DdeInstance&) = delete;
    ~DdeInstance();

    explicit operator bool() const { return id_ != 0; }
    DWORD id() const { return id_; }
    HSZ Name(const wchar_t* text);

private:
    DWORD id_ = 0;
    std::vector<HSZ> names_;
};

// What the server does with the text of a request: the command line of a
// second start (`firstIndex` 1: the program path comes first) or the shell
// verb's arguments (0). Until a handler is set, requests are acknowledged
// and dropped.
using DdeRequestHandler = void (*)(const std::wstring& text, int firstIndex);
void SetDdeRequestHandler(DdeRequestHandler handler);

void StartDdeServer();
void StopDdeServer();
