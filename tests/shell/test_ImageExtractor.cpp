// Our picture extractor and the capability layer's choice of extractor: each
// supported format comes out in its own colours, reduced to fit the square
// asked for with its proportions kept, and never enlarged.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "shell/uCapabilities.h"
#include "shell/uImageExtractor.h"
#include "tests/support/TestImages.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

class ImageExtractorTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"zeko-extract-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        RemoveTree(folder_);
    }
    std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }

    // Extracts through `extractor` at `side` × `side`; empty on failure.
    static UniqueBitmap Extract(IExtractImage* extractor, int side) {
        wchar_t location[MAX_PATH] = {};
        DWORD priority = 0;
        const SIZE size{side, side};
        DWORD flags = IEIFLAG_ORIGSIZE | IEIFLAG_OFFLINE;
        if (!extractor || extractor->GetLocation(location, MAX_PATH, &priority, &size, 24, &flags) != S_OK) return {};
        HBITMAP bitmap = nullptr;
        const HRESULT hr = extractor->Extract(&bitmap);
        UniqueBitmap result(bitmap);
        if (hr != S_OK) result.reset();
        return result;
    }

    std::wstring folder_;
};

struct Expected {
    SIZE size;
    COLORREF colour;
};

void ExpectPicture(HBITMAP bitmap, Expected expected, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib))) << "not a DIB section";
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    const SIZE size = BitmapDimensions(bitmap);
    EXPECT_EQ(size.cx, expected.size.cx);
    EXPECT_EQ(size.cy, expected.size.cy);
    for (POINT p : {POINT{0, 0}, POINT{size.cx - 1, size.cy - 1}, POINT{size.cx / 2, size.cy / 2}})
        EXPECT_TRUE(CloseColour(PixelOf(bitmap, p.x, p.y), expected.colour))
            << "pixel " << p.x << "," << p.y << " is " << std::hex << PixelOf(bitmap, p.x, p.y);
}

TEST_F(ImageExtractorTest, EachFormatComesOutInItsColoursFittedToTheSquare) {
    ASSERT_TRUE(WritePicture(Path(L"red.png"), TestPicture::RedPng300x150));
    ASSERT_TRUE(WritePicture(Path(L"green.jpg"), TestPicture::GreenJpeg20x40));
    ASSERT_TRUE(WritePicture(Path(L"blue.gif"), TestPicture::BlueGif30x30));
    ASSERT_TRUE(WriteBmp(Path(L"yellow.bmp"), 80, 200, RGB(255, 255, 0)));

    ExpectPicture(Extract(CreateOwnImageExtractor(Path(L"red.png")).get(), 96).get(), {{96, 48}, RGB(255, 0, 0)},
                  "PNG, wider than the square");
    ExpectPicture(Extract(CreateOwnImageExtractor(Path(L"green.jpg")).get(), 96).get(), {{20, 40}, RGB(0, 255, 0)},
                  "JPEG, smaller than the square: not enlarged");
    ExpectPicture(Extract(CreateOwnImageExtractor(Path(L"blue.gif")).get(), 96).get(), {{30, 30}, RGB(0, 0, 255)},
                  "GIF");
    ExpectPicture(Extract(CreateOwnImageExtractor(Path(L"yellow.bmp")).get(), 96).get(),
                  {{38, 96}, RGB(255, 255, 0)}, "BMP, taller than the square");
    ExpectPicture(Extract(CreateOwnImageExtractor(Path(L"red.png")).get(), 32).get(), {{32, 16}, RGB(255, 0, 0)},
                  "the size asked for rules");
}

TEST_F(ImageExtractorTest, OnlyDecodableFilesGetAnExtractorAndDamagedOnesGiveNoPicture) {
    ASSERT_TRUE(WriteBmp(Path(L"picture.txt"), 10, 10, RGB(1, 2, 3)));
    EXPECT_FALSE(CreateOwnImageExtractor(Path(L"picture.txt")));
    EXPECT_FALSE(CreateOwnImageExtractor(Path(L"noextension")));

    UniqueHandle file(CreateFileW(Path(L"broken.png").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "\x89PNG\r\n\x1a\nnot really", 18, &written, nullptr));
    file.reset();
    ComPtr<IExtractImage> extractor = CreateOwnImageExtractor(Path(L"broken.png"));
    ASSERT_TRUE(extractor);
    EXPECT_FALSE(Extract(extractor.get(), 96));
    // Upper-case extensions are the same extensions.
    ASSERT_TRUE(WritePicture(Path(L"LOUD.PNG"), TestPicture::RedPng300x150));
    EXPECT_TRUE(Extract(CreateOwnImageExtractor(Path(L"LOUD.PNG")).get(), 96));
}

TEST_F(ImageExtractorTest, CapabilityLayerGivesPictureFilesOfAFolderAnExtractorAndFoldersNone) {
    ASSERT_TRUE(WritePicture(Path(L"blue.gif"), TestPicture::BlueGif30x30));
    ASSERT_TRUE(CreateDirectoryW(Path(L"sub.png").c_str(), nullptr));
    UniqueAbsolutePidl folderList(ILCreateFromPathW(folder_.c_str()));
    ComPtr<IShellFolder> folder;
    ASSERT_TRUE(PIDLBindFolder(folderList.get(), folder.put()));

    auto child = [&](const wchar_t* name) {
        PITEMID_CHILD relative = nullptr;
        folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(name), nullptr, ChildParseResult(&relative),
                                 nullptr);
        return UniqueChildPidl(relative);
    };
    UniqueChildPidl picture = child(L"blue.gif");
    UniqueChildPidl subfolder = child(L"sub.png");
    ASSERT_TRUE(picture);
    ASSERT_TRUE(subfolder);

    ExpectPicture(Extract(CreateImageExtractor(folder.get(), picture.get(), nullptr).get(), 96).get(),
                  {{30, 30}, RGB(0, 0, 255)}, "a picture file of the folder");
    // A platform with folder thumbnails of its own may well picture a folder.
    if (!PlatformCapabilities().fileSystemFolderExtras) {
        EXPECT_FALSE(CreateImageExtractor(folder.get(), subfolder.get(), nullptr)) << "a folder named like a picture";
    }
}

}  // namespace
