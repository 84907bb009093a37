// End to end: folders handed to the running ZEKO.exe by a second start and by
// the shell's verb arrive in the first instance, with Japanese names.

#include "app/Handles.h"
#include "app/uCmdLine.h"
#include "app/uPIDL.h"
#include "mainwnd/wMainWnd.h"
#include "res/resource.h"
#include "tests/support/TestSettingsRoot.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <ddeml.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr int kFolderViewListId = 1505;

HWND MdiClientOf(HWND frame) { return FindWindowExW(frame, nullptr, L"MDIClient", nullptr); }

std::vector<HWND> ChildrenCaptioned(HWND frame, const std::wstring& caption) {
    std::vector<HWND> found;
    for (HWND child : ChildWindows(frame))
        if (WindowText(child) == caption) found.push_back(child);
    return found;
}

HWND WaitForChildCaptioned(HWND frame, const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto children = ChildrenCaptioned(frame, caption);
            found = children.empty() ? nullptr : children.front();
            return found != nullptr;
        },
        15000);
    return found;
}

HWND ActiveChild(HWND frame) {
    return reinterpret_cast<HWND>(SendMessageW(MdiClientOf(frame), WM_MDIGETACTIVE, 0, 0));
}

// The text of the selected item of a list view in another process: the
// message's structure and buffer must live in that process.
std::wstring SelectedItemText(HWND list) {
    const int index = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index < 0) return L"";
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) return L"";
    constexpr int kTextChars = 260;
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(process.get(), nullptr,
                                                     sizeof(LVITEMW) + kTextChars * sizeof(wchar_t), MEM_COMMIT,
                                                     PAGE_READWRITE));
    if (!remote) return L"";
    LVITEMW item{};
    item.cchTextMax = kTextChars;
    item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
    WriteProcessMemory(process.get(), remote, &item, sizeof(item), nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(remote));
    wchar_t text[kTextChars + 1] = L"";
    ReadProcessMemory(process.get(), remote + sizeof(LVITEMW), text, kTextChars * sizeof(wchar_t), nullptr);
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return text;
}

// A shared block holding the folder's ID list, made for `processId` the way
// the shell's verb makes it; the handle is valid in that process.
HANDLE ShareFolderWith(const std::wstring& folder, DWORD processId) {
    using SHAllocSharedFn = HANDLE(WINAPI*)(const void*, DWORD, DWORD);
    auto allocShared = reinterpret_cast<SHAllocSharedFn>(
        GetProcAddress(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(520)));
    UniquePidl list(ILCreateFromPathW(folder.c_str()));
    if (!allocShared || !list) return nullptr;
    return allocShared(list.get(), PIDLSize(list.get()), processId);
}

std::wstring HandleArgument(HANDLE block, DWORD processId) {
    return L":" + std::to_wstring(HandleToULong(block)) + L":" + std::to_wstring(processId);
}

// What the shell does with the folder verb while the program runs.
bool ExecuteOnShellVerbTopic(const std::wstring& command) {
    DWORD instance = 0;
    auto callback = [](UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) -> HDDEDATA { return nullptr; };
    if (DdeInitializeW(&instance, callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    HSZ service = DdeCreateStringHandleW(instance, DdeServiceName(PrivateSettingsKeyPath()).c_str(), CP_WINUNICODE);
    HSZ topic = DdeCreateStringHandleW(instance, L"ZEKOTopic", CP_WINUNICODE);
    bool acknowledged = false;
    if (HCONV conversation = DdeConnect(instance, service, topic, nullptr)) {
        DWORD result = 0;
        HDDEDATA answer = DdeClientTransaction(
            reinterpret_cast<LPBYTE>(const_cast<wchar_t*>(command.c_str())),
            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)), conversation, nullptr, 0, XTYP_EXECUTE,
            60000, &result);
        acknowledged = answer && (result & DDE_FACK);
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    return acknowledged;
}

// Returns once the first instance has served every hand-over made before, so
// that a thing that should not have happened has had its chance to: its DDE
// server answers in the order the requests arrive, and an empty execute opens
// nothing.
void Settle() { ASSERT_TRUE(ExecuteOnShellVerbTopic(L"")); }

class DdeHandOver : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"zeko-handover-" + std::to_wstring(GetCurrentProcessId());
        japanese_ = root_ + L"\\日本語フォルダ";
        second_ = root_ + L"\\第二の場所";
        plain_ = root_ + L"\\plain folder";
        file_ = japanese_ + L"\\文書.txt";
        for (const std::wstring* dir : {&root_, &japanese_, &second_, &plain_}) CreateDirectoryW(dir->c_str(), nullptr);
        UniqueHandle file(CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);

        first_ = std::make_unique<ZekoProcess>();
        ASSERT_TRUE(first_->started());
        frame_ = WaitForVisibleFrame(*first_);
        ASSERT_NE(frame_, nullptr);
    }

    void TearDown() override {
        if (frame_ && IsWindow(frame_)) {
            PostMessageW(frame_, WM_CLOSE, 0, 0);
            first_->waitForExit(60000);
        }
        first_.reset();
        DeleteFileW(file_.c_str());
        for (const std::wstring* dir : {&japanese_, &second_, &plain_, &root_}) RemoveDirectoryW(dir->c_str());
    }

    // Starts ZEKO.exe again with `arguments`; it must hand them over and end
    // without a frame of its own.
    void SecondStart(const std::wstring& arguments, const std::wstring& currentDirectory = L"") {
        ZekoProcess second(arguments, currentDirectory);
        ASSERT_TRUE(second.started());
        ASSERT_TRUE(second.waitForExit(60000));
        EXPECT_EQ(second.exitCode(), 0u);
        EXPECT_TRUE(FindTopLevelWindows(kFrameClassName, second.id()).empty());
        EXPECT_EQ(FindTopLevelWindows(kFrameClassName).size(), 1u);
    }

    static std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

    std::wstring root_, japanese_, second_, plain_, file_;
    std::unique_ptr<ZekoProcess> first_;
    HWND frame_ = nullptr;
};

TEST_F(DdeHandOver, SecondStartWithAJapaneseFolderOpensItActivatedInTheFirstInstance) {
    SecondStart(Quoted(japanese_));
    HWND child = WaitForChildCaptioned(frame_, L"日本語フォルダ");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ActiveChild(frame_), child);
    Settle();
    EXPECT_EQ(ChildrenCaptioned(frame_, L"日本語フォルダ").size(), 1u);
}

TEST_F(DdeHandOver, SecondStartWithAFileOpensItsFolderWithTheFileSelected) {
    SecondStart(Quoted(file_));
    HWND child = WaitForChildCaptioned(frame_, L"日本語フォルダ");
    ASSERT_NE(child, nullptr);
    HWND list = GetDlgItem(child, kFolderViewListId);
    ASSERT_NE(list, nullptr);
    std::wstring selected;
    EXPECT_TRUE(WaitUntil(
        [&] {
            selected = SelectedItemText(list);
            return !selected.empty();
        },
        10000));
    EXPECT_EQ(selected.substr(0, 2), L"文書") << selected;
}

TEST_F(DdeHandOver, SecondStartWithoutArgumentsBringsTheFrameForwardAndOpensNothing) {
    Settle();
    const size_t childrenBefore = ChildWindows(frame_).size();
    ShowWindow(frame_, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(frame_) != FALSE; }, 30000));

    SecondStart(L"");
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(frame_); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == frame_; }, 30000));
    Settle();
    EXPECT_EQ(ChildWindows(frame_).size(), childrenBefore);
}

TEST_F(DdeHandOver, SecondStartBringsTheFrameBackFromTheNotificationArea) {
    PostMessageW(frame_, WM_COMMAND, IDM_TO_TRAY, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 30000));

    SecondStart(Quoted(japanese_));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(frame_) && !IsIconic(frame_); }, 10000));
    EXPECT_NE(WaitForChildCaptioned(frame_, L"日本語フォルダ"), nullptr);
}

TEST_F(DdeHandOver, ShellVerbFormOpensTheFolderInTheHandleOnce) {
    HANDLE block = ShareFolderWith(japanese_, first_->id());
    ASSERT_NE(block, nullptr);
    SecondStart(HandleArgument(block, first_->id()) + L" " + Quoted(second_));
    HWND child = WaitForChildCaptioned(frame_, L"日本語フォルダ");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ActiveChild(frame_), child);
    Settle();
    EXPECT_TRUE(ChildrenCaptioned(frame_, L"第二の場所").empty());
    EXPECT_EQ(ChildrenCaptioned(frame_, L"日本語フォルダ").size(), 1u);
}

TEST_F(DdeHandOver, StaleHandleFallsBackToThePathActivated) {
    SecondStart(L":999996:" + std::to_wstring(first_->id()) + L" " + Quoted(japanese_));
    HWND child = WaitForChildCaptioned(frame_, L"日本語フォルダ");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ActiveChild(frame_), child);
}

// The shell itself sends an execute on its own topic. The quoted path is plain
// ASCII because the platform's execute may carry no more (see the capability
// layer); the folder itself travels as an ID list and has a Japanese name.
TEST_F(DdeHandOver, ShellVerbExecuteOpensTheFolderInTheHandleOnce) {
    HANDLE block = ShareFolderWith(japanese_, first_->id());
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(ExecuteOnShellVerbTopic(HandleArgument(block, first_->id()) + L" " + Quoted(plain_)));
    EXPECT_NE(WaitForChildCaptioned(frame_, L"日本語フォルダ"), nullptr);
    Settle();
    EXPECT_TRUE(ChildrenCaptioned(frame_, L"plain folder").empty());
}

// ---------------------------------------------------------------------------
// Odd arguments handed to a live instance: each gets a clear outcome (a folder
// it names opens, anything else opens nothing), and the instance survives and
// goes on serving.

struct OddArgument {
    const char* label;
    // {J} the Japanese folder, {S} the second one, {R} the root above them,
    // {P} this test process's id, {I} the instance's, {D} the name of the
    // drive the root is on.
    const wchar_t* argument;
    // Where the second start runs: the same tokens, or empty for this process's folder.
    const wchar_t* currentDirectory;
    // Caption of the folder window it opens, or null for none.
    const wchar_t* opens;
};

void PrintTo(const OddArgument& odd, std::ostream* out) { *out << odd.label; }

class DdeHandOverOdd : public DdeHandOver, public testing::WithParamInterface<OddArgument> {
protected:
    std::wstring Expand(const wchar_t* pattern) const {
        std::wstring text = pattern ? pattern : L"";
        UniquePidl drive(ILCreateFromPathW(root_.substr(0, 3).c_str()));
        const std::pair<const wchar_t*, std::wstring> tokens[] = {
            {L"{J}", japanese_},
            {L"{S}", second_},
            {L"{R}", root_},
            {L"{P}", std::to_wstring(GetCurrentProcessId())},
            {L"{I}", std::to_wstring(first_->id())},
            {L"{D}", PIDLDisplayName(drive.get())}};
        for (const auto& [token, value] : tokens)
            for (size_t at; (at = text.find(token)) != std::wstring::npos;) text.replace(at, 3, value);
        return text;
    }
};

TEST_P(DdeHandOverOdd, GetsAClearOutcomeAndTheInstanceGoesOnServing) {
    const OddArgument& odd = GetParam();
    // Set only now and only here: an environment string means the starting
    // process's environment, which the running instance never had.
    SetEnvironmentVariableW(L"ZEKO_ODD_FOLDER", japanese_.c_str());
    ASSERT_TRUE(WaitUntil([&] { return !ChildWindows(frame_).empty(); }, 15000));
    const size_t before = ChildWindows(frame_).size();

    SecondStart(Expand(odd.argument), Expand(odd.currentDirectory));
    if (odd.opens) EXPECT_NE(WaitForChildCaptioned(frame_, Expand(odd.opens)), nullptr);
    // Hand-overs are served in turn: once a plain folder handed over after the
    // odd argument is open, the odd argument has had its turn.
    SecondStart(Quoted(plain_));
    ASSERT_NE(WaitForChildCaptioned(frame_, L"plain folder"), nullptr);
    EXPECT_FALSE(first_->waitForExit(0));
    EXPECT_EQ(ChildWindows(frame_).size(), before + (odd.opens ? 2 : 1));
    if (odd.opens) EXPECT_EQ(ChildrenCaptioned(frame_, Expand(odd.opens)).size(), 1u);
    SetEnvironmentVariableW(L"ZEKO_ODD_FOLDER", nullptr);
}

const OddArgument kOddArguments[] = {
    {"Slash_Question", L"/?", nullptr, nullptr},
    {"Slash_Alone", L"/", nullptr, nullptr},
    {"Slash_ExplorerStyle", L"/e,{J}", nullptr, nullptr},
    {"Slash_Path", L"/{J}", nullptr, nullptr},
    {"Dash_H", L"-h", nullptr, nullptr},
    {"Dash_DoubleHelp", L"--help", nullptr, nullptr},
    {"Device_Drive", L"\\\\.\\C:", nullptr, nullptr},
    {"Device_PhysicalDrive", L"\\\\.\\PhysicalDrive0", nullptr, nullptr},
    {"Device_Console", L"CON", nullptr, nullptr},
    {"Device_Nul", L"NUL", nullptr, nullptr},
    {"Device_NtPrefix", L"\\??\\C:\\", nullptr, nullptr},
    {"LongPath_Folder", L"\"\\\\?\\{J}\"", nullptr, L"日本語フォルダ"},
    {"LongPath_Volume", L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\", nullptr, nullptr},
    {"LongPath_UncNoServer", L"\\\\?\\UNC\\", nullptr, nullptr},
    {"Quote_Alone", L"\"", nullptr, nullptr},
    {"Quote_Unbalanced", L"\"{J}", nullptr, L"日本語フォルダ"},
    {"Quote_Doubled", L"\"\"\"\"", nullptr, nullptr},
    {"Quote_Inside", L"{R}\\\"第二\"の場所", nullptr, L"第二の場所"},
    {"Quote_TrailingBackslash", L"\"{J}\\\"", nullptr, L"日本語フォルダ"},
    {"Relative_DotDot", L"..", L"{J}", L"zeko-handover-{P}"},
    {"Relative_Dot", L".", L"{S}", L"第二の場所"},
    {"Relative_Sibling", L"..\\第二の場所", L"{J}", L"第二の場所"},
    {"Relative_Child", L"日本語フォルダ", L"{R}", L"日本語フォルダ"},
    {"Relative_Missing", L"no such folder here", L"{R}", nullptr},
    {"Environment_Set", L"%ZEKO_ODD_FOLDER%", nullptr, L"日本語フォルダ"},
    {"Environment_Unset", L"%ZEKO_NO_SUCH_VARIABLE%", nullptr, nullptr},
    {"Environment_Lone", L"%", nullptr, nullptr},
    {"Url_Http", L"http://example.com/日本語", nullptr, nullptr},
    {"Url_File", L"file:///C:/windows", nullptr, nullptr},
    {"Url_Shell", L"shell:Desktop", nullptr, nullptr},
    {"Url_Mailto", L"mailto:someone@example.com", nullptr, nullptr},
    {"Handle_NoProcess", L":123:", nullptr, nullptr},
    {"Handle_Letters", L":abc:def", nullptr, nullptr},
    {"Handle_Colon", L":", nullptr, nullptr},
    {"Handle_Colons", L"::", nullptr, nullptr},
    {"Handle_Zero", L":0:0", nullptr, nullptr},
    {"Handle_TooLarge", L":99999999999:{I}", nullptr, nullptr},
    {"Handle_Negative", L":-1:-1", nullptr, nullptr},
    {"Handle_ClassId", L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", nullptr, nullptr},
    {"Wildcard_Star", L"{R}\\*", nullptr, nullptr},
    {"Wildcard_Question", L"{J}?", nullptr, nullptr},
    {"Pipe_And_Angles", L"<>|", nullptr, nullptr},
    {"Missing_Folder", L"{R}\\存在しない", nullptr, nullptr},
    {"Long_Name", L"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", nullptr, nullptr},
    {"ForwardSlashes", L"C:/windows", nullptr, L"windows"},
    {"Backslash_Alone", L"\\", L"{R}", L"{D}"},
    {"Unc_NoServer", L"\\\\", nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Arguments, DdeHandOverOdd, testing::ValuesIn(kOddArguments),
                         [](const testing::TestParamInfo<OddArgument>& info) { return info.param.label; });

}  // namespace
