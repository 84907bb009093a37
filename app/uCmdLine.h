#pragma once
// Folders that reach the program from outside: its own arguments, a second
// start's command line and the shell's folder verb, both of the latter by DDE.

#include <string>
#include <vector>

// Whether the process command line holds anything beyond the program path.
bool HasArguments();
// Splits a command text by the usual rules of program argument lists.
std::vector<std::wstring> SplitArguments(const std::wstring& text);
// firstIndex: 1 for a whole command line (program path skipped), 0 for a shell execute string.
void OpenArguments(const std::wstring& text, int firstIndex);
// True when a handle argument opened a folder.
bool OpenArgument(const std::wstring& argument, bool first);

void StartDdeServer();
void StopDdeServer();
// Second start: hands this process's command line to the running instance.
void SendCommandLineToRunningInstance();
