// What the active folder view writes into the frame's status bar once the
// selection has been still, and the list's info tips.

#include "FolderViewFixture.h"

#include "app/uFormatSize.h"
#include "app/uFrameLink.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uStatusInfo.h"

#include <commctrl.h>

#include <string>

namespace {

class StatusInfo : public FolderViewTest {
protected:
    void SetUp() override {
        FolderViewTest::SetUp();
        status_ = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, nullptr, frame_, 1506);
        ASSERT_NE(status_, nullptr);
        int edges[3] = {500, 600, -1};
        SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
        FrameLink().statusBar = status_;
        ASSERT_TRUE(MakeFile(root_ / L"a.bin", 1536));
        ASSERT_TRUE(MakeFile(root_ / L"b.bin", 1023));
        ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
    }
    std::wstring Part(int part) const {
        wchar_t text[512] = {};
        SendMessageW(status_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool WaitForParts(const std::wstring& line, const std::wstring& size) const {
        return WaitUntil([&] { return Part(0) == line && Part(1) == size; }, 30000);
    }
    HWND OpenRoot() {
        HWND child = Open(root_.path());
        EXPECT_TRUE(WaitForNames(child, [](const auto& names) { return names.size() == 3; })) << Joined(Names(child));
        return child;
    }
    std::wstring Describe() const { return L"Part 0: " + Part(0) + L" / part 1: " + Part(1); }

    HWND status_ = nullptr;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST_F(StatusInfo, CountsItemsThenSelectionsWithTheirSize) {
    HWND child = OpenRoot();
    ASSERT_TRUE(WaitUntil([&] { return Part(0).rfind(L"3個のオブジェクト(空きディスク領域: ", 0) == 0; }, 30000))
        << Narrow(Describe());
    EXPECT_EQ(Part(0).back(), L')');
    EXPECT_EQ(Part(1), L"0Byte");

    Select(child, L"a.bin");
    EXPECT_TRUE(WaitForParts(L"1個のオブジェクトを選択", L"1.50KB")) << Narrow(Describe());

    ListView_SetItemState(View(child)->ListView, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(WaitForParts(L"3個のオブジェクトを選択", FormatSize(1536 + 1023))) << Narrow(Describe());
}

TEST_F(StatusInfo, WithCalcAllSizeNoSelectionSumsEveryItem) {
    FolderViewConfig().CalcAllSize = true;
    OpenRoot();
    EXPECT_TRUE(WaitUntil([&] { return Part(1) == FormatSize(1536 + 1023); }, 30000)) << Narrow(Describe());
}

TEST_F(StatusInfo, WithStatusInfoOneItemIsDescribedOnOneLine) {
    FolderViewConfig().StatusInfo = true;
    HWND child = OpenRoot();
    Select(child, L"a.bin");
    ASSERT_TRUE(WaitUntil([&] { return Part(1) == L"1.50KB" && Part(0).find(L"サイズ: 1.50KB") != std::wstring::npos; },
                          30000))
        << Narrow(Describe());
    EXPECT_NE(Part(0).find(L" 更新日時: "), std::wstring::npos) << Narrow(Describe());
    EXPECT_EQ(Part(0).find_first_of(L"\r\n\t"), std::wstring::npos);
}

// The sizes of a large selection are summed on the view's scheduler thread.
TEST_F(StatusInfo, TenThousandFilesSelectedAtOnceAreCountedAndSummed) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "big folders are made from the Unix side";
    const std::wstring big = root_ / L"big";
    ASSERT_TRUE(MakeDirectory(big));
    ASSERT_TRUE(RunUnixShell("cd '" + UnixPath(big) +
                             "' && i=0; while [ $i -lt 10000 ]; do printf 0123456789 > f$i; i=$((i+1)); done"));
    HWND child = Open(big);
    ASSERT_TRUE(WaitUntil([&] { return View(child)->ItemCount() == 10000 && !View(child)->Filling(); }, 240000));
    EXPECT_TRUE(WaitUntil([&] { return Part(0).rfind(L"10000個のオブジェクト(", 0) == 0; }, 60000)) << Narrow(Describe());

    ListView_SetItemState(View(child)->ListView, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(WaitUntil([&] { return Part(0) == L"10000個のオブジェクトを選択" && Part(1) == L"97.6KB"; }, 120000))
        << Narrow(Describe());
}

// The info tip of a file whose name the list shows cut off, and whole.
class InfoTip : public StatusInfo {
protected:
    NMLVGETINFOTIPW Request(HWND child, const std::wstring& name, DWORD flags, int size) {
        text_.assign(L"a.bin");
        text_.resize(static_cast<size_t>(size), L'\0');
        NMLVGETINFOTIPW request{};
        request.hdr.code = LVN_GETINFOTIPW;
        request.hdr.hwndFrom = View(child)->ListView;
        request.dwFlags = flags;
        request.pszText = text_.data();
        request.cchTextMax = size;
        request.iItem = IndexOf(child, name);
        return request;
    }
    std::wstring Text() const { return text_.c_str(); }
    std::wstring text_;
};

TEST_F(InfoTip, OnlyWithPopupInfoThenAfterACutNameOrInsteadOfAWholeOne) {
    HWND child = OpenRoot();
    NMLVGETINFOTIPW off = Request(child, L"a.bin", 0, 512);
    FillInfoTip(*View(child), off);
    EXPECT_EQ(Text(), L"a.bin") << "PopupInfo is off";

    FolderViewConfig().PopupInfo = true;
    NMLVGETINFOTIPW cut = Request(child, L"a.bin", 0, 512);
    FillInfoTip(*View(child), cut);
    EXPECT_EQ(Text().rfind(L"a.bin\r\n", 0), 0u) << Narrow(Text());
    EXPECT_NE(Text().find(L"1.50KB"), std::wstring::npos) << Narrow(Text());

    NMLVGETINFOTIPW whole = Request(child, L"a.bin", LVGIT_UNFOLDED, 512);
    FillInfoTip(*View(child), whole);
    EXPECT_EQ(Text().find(L"a.bin"), std::wstring::npos) << "the tip replaces a name shown whole: " << Narrow(Text());
    EXPECT_NE(Text().find(L"1.50KB"), std::wstring::npos);

    NMLVGETINFOTIPW tiny = Request(child, L"a.bin", 0, 8);
    FillInfoTip(*View(child), tiny);
    EXPECT_EQ(Text(), L"") << "no character of the tip fits: no tooltip";
}

}  // namespace
