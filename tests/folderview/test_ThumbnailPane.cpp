// The thumbnail pane: the picture of the active view's first selected item,
// made in the background and refreshed with the view's delayed status update.

#include "FolderViewFixture.h"

#include "app/ComPtr.h"
#include "app/Global.h"
#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "folderview/wThumbnail.h"
#include "mdi/wMDIChild.h"
#include "shell/uOneShotTask.h"
#include "tests/support/TestImages.h"

namespace {

// Holds the scheduler's thread until the test lets it go.
class THoldingTask final : public TOneShotTask {
public:
    THoldingTask(HANDLE started, HANDLE release) : started_(started), release_(release) {}

private:
    void Execute() override {
        SetEvent(started_);
        WaitForSingleObject(release_, 60000);
    }
    HANDLE started_;
    HANDLE release_;
};

class ThumbnailPaneTest : public FolderViewTest {
protected:
    void SetUp() override {
        FolderViewTest::SetUp();
        if (HasFatalFailure()) return;
        FrameConfig().delayTime = 1;
        ThumbnailPaneLink().activeView = [] { return ActiveFolderView(); };
        side_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 300, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        pane_ = CreateThumbnailPane(side_, GetModuleHandleW(nullptr));
        ASSERT_NE(pane_, nullptr);
        MoveWindow(pane_, 0, 100, 120, 100, FALSE);
        ASSERT_TRUE(WritePicture(root_ / L"red.png", TestPicture::RedPng300x150));
        ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
        ASSERT_TRUE(MakeFile(root_ / L"notes.txt", 10));
    }
    void TearDown() override {
        if (IsWindow(side_)) DestroyWindow(side_);
        ThumbnailPaneLink() = {};
        FolderViewTest::TearDown();
    }

    HWND side_ = nullptr;
    HWND pane_ = nullptr;
};

TEST_F(ThumbnailPaneTest, ASelectedPictureShowsAtThePanesSizeAndAFolderEmptiesThePane) {
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    Select(child, L"red.png");
    ASSERT_TRUE(WaitUntil([] { return ThumbnailPanePicture() != nullptr; }, 20000));
    const SIZE size = BitmapDimensions(ThumbnailPanePicture());
    EXPECT_EQ(size.cx, 100) << "fitted into the 120 x 100 pane, proportions kept";
    EXPECT_EQ(size.cy, 50);
    EXPECT_EQ(PixelSnapshot(ThumbnailPanePicture()).At(50, 25), RGB(255, 0, 0));

    // Resizing does not extract again; only the next selection does.
    HBITMAP shown = ThumbnailPanePicture();
    MoveWindow(pane_, 0, 100, 60, 40, TRUE);
    Pump();
    EXPECT_EQ(ThumbnailPanePicture(), shown);

    Select(child, L"sub");
    EXPECT_TRUE(WaitUntil([] { return ThumbnailPanePicture() == nullptr; }, 20000)) << "folders get no picture";
}

// The scheduler's thread makes the picture: the window never waits for it,
// however large the picture, and shows it once that thread gets to it.
TEST_F(ThumbnailPaneTest, ThePictureIsMadeWhileTheWindowGoesOn) {
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    UniqueHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    IShellTaskScheduler* scheduler = App().schedulers[1].get();
    ASSERT_NE(scheduler, nullptr);
    auto hold = ComPtr<IRunnableTask>::attach(new THoldingTask(started.get(), release.get()));
    ASSERT_EQ(scheduler->AddTask(hold.get(), TOID_NULL, 0, ITSAT_DEFAULT_PRIORITY), S_OK);
    ASSERT_EQ(WaitForSingleObject(started.get(), 20000), WAIT_OBJECT_0);

    Select(child, L"red.png");
    const bool queued = WaitUntil([&] { return scheduler->CountTasks(kThumbnailPaneTaskOwner) > 0; }, 20000);
    const bool shownWhileHeld = ThumbnailPanePicture() != nullptr;
    SetEvent(release.get());
    EXPECT_TRUE(queued);
    EXPECT_FALSE(shownWhileHeld);
    EXPECT_TRUE(WaitUntil([] { return ThumbnailPanePicture() != nullptr; }, 20000));
}

TEST_F(ThumbnailPaneTest, TheSelectionOfAnInactiveTabLeavesThePaneAlone) {
    HWND active = Open(root_.path());
    Select(active, L"red.png");
    ASSERT_TRUE(WaitUntil([] { return ThumbnailPanePicture() != nullptr; }, 20000));
    HBITMAP shown = ThumbnailPanePicture();

    HWND background = Open(root_ / L"sub", nullptr, false);
    ASSERT_NE(background, nullptr);
    ASSERT_NE(ActiveChild(), background);
    ASSERT_TRUE(MakeFile(root_ / L"sub\\x.txt"));
    View(background)->RefreshView(RefreshFull);
    Select(background, L"x.txt");
    // The status update that the selection starts, delivered now.
    SendMessageW(background, WM_TIMER, kStatusTimerId, 0);
    EXPECT_EQ(ThumbnailPanePicture(), shown);

    // Deselecting everything in the active tab empties the pane.
    ListView_SetItemState(ChildListView(active), -1, 0, LVIS_SELECTED);
    SendMessageW(active, WM_TIMER, kStatusTimerId, 0);
    EXPECT_EQ(ThumbnailPanePicture(), nullptr);
}

}  // namespace
