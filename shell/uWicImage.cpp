#include "shell/uWicImage.h"

#include "app/ComPtr.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cwctype>

namespace {

// A picture is decoded whole before it is reduced; beyond this many pixels
// (a quarter of a gigabyte at four bytes each) it is refused instead.
constexpr UINT64 kLargestPixelCount = 64ull * 1024 * 1024;
// Far more decoders than any system installs; an enumerator that never ends stops here.
constexpr int kMostDecoders = 256;

ComPtr<IWICImagingFactory> Factory() {
    ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     factory.putVoid());
    return factory;
}

SIZE FitWithin(UINT width, UINT height, int side) {
    const UINT limit = static_cast<UINT>(side);
    if (width <= limit && height <= limit) return {static_cast<LONG>(width), static_cast<LONG>(height)};
    if (width >= height)
        return {side, std::max(1, MulDiv(static_cast<int>(height), side, static_cast<int>(width)))};
    return {std::max(1, MulDiv(static_cast<int>(width), side, static_cast<int>(height))), side};
}

// Pixels, `width` × `height`: premultiplied BGRA (4 channels) or opaque
// BGR (3 channels), each row `stride` bytes.
struct Pixels {
    UINT width = 0, height = 0;
    UINT channels = 4;
    size_t stride = 0;
    std::vector<BYTE> bytes;
};

// Every target pixel is the average of the source pixels it covers: unlike
// nearest-neighbour sampling, fine detail does not turn into noise. The
// result is premultiplied BGRA, rows packed.
template <UINT Channels>
Pixels Reduce(const Pixels& source, SIZE target) {
    Pixels result;
    result.width = static_cast<UINT>(target.cx);
    result.height = static_cast<UINT>(target.cy);
    result.stride = static_cast<size_t>(result.width) * 4;
    result.bytes.resize(result.stride * result.height);
    std::vector<UINT> columnStart(result.width + 1);
    for (UINT x = 0; x <= result.width; ++x)
        columnStart[x] = static_cast<UINT>(static_cast<UINT64>(x) * source.width / result.width);
    for (UINT y = 0; y < result.height; ++y) {
        const UINT top = static_cast<UINT>(static_cast<UINT64>(y) * source.height / result.height);
        const UINT bottom =
            std::max(top + 1, static_cast<UINT>(static_cast<UINT64>(y + 1) * source.height / result.height));
        for (UINT x = 0; x < result.width; ++x) {
            const UINT left = columnStart[x];
            const UINT right = std::max(left + 1, columnStart[x + 1]);
            UINT64 sum[Channels] = {};
            for (UINT sy = top; sy < bottom; ++sy) {
                const BYTE* row = &source.bytes[static_cast<size_t>(sy) * source.stride + left * Channels];
                for (UINT sx = left; sx < right; ++sx, row += Channels)
                    for (UINT c = 0; c < Channels; ++c) sum[c] += row[c];
            }
            const UINT64 count = static_cast<UINT64>(bottom - top) * (right - left);
            BYTE* out = &result.bytes[static_cast<size_t>(y) * result.stride + x * 4];
            for (UINT c = 0; c < Channels; ++c) out[c] = static_cast<BYTE>(sum[c] / count);
            if (Channels == 3) out[3] = 255;
        }
    }
    return result;
}

Pixels Reduce(const Pixels& source, SIZE target) {
    return source.channels == 3 ? Reduce<3>(source, target) : Reduce<4>(source, target);
}

UniqueBitmap OpaqueDib(const Pixels& pixels, COLORREF background) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(pixels.width);
    info.bmiHeader.biHeight = -static_cast<LONG>(pixels.height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    const BYTE back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    BYTE* out = static_cast<BYTE*>(bits);
    for (size_t i = 0; i < pixels.bytes.size(); i += 4) {
        const BYTE* in = &pixels.bytes[i];
        const int clear = 255 - in[3];
        for (int c = 0; c < 3; ++c) out[i + c] = static_cast<BYTE>(std::min(255, in[c] + back[c] * clear / 255));
        out[i + 3] = 255;
    }
    GdiFlush();
    return bitmap;
}

UniqueBitmap DecodeFitted(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, int side, int largestSide,
                          COLORREF background) {
    ComPtr<IWICBitmapFrameDecode> frame;
    if (side <= 0 || FAILED(decoder->GetFrame(0, frame.put())) || !frame) return {};
    Pixels full;
    if (FAILED(frame->GetSize(&full.width, &full.height)) || full.width == 0 || full.height == 0) return {};
    if (static_cast<UINT64>(full.width) * full.height > kLargestPixelCount) return {};
    if (largestSide > 0 && (full.width > static_cast<UINT>(largestSide) || full.height > static_cast<UINT>(largestSide)))
        return {};

    // Plain BGR (a photo's usual form) is averaged as it comes: a conversion
    // would be one more pass over every pixel of a large picture. Anything
    // else is converted first: indexed pixels cannot be averaged, and
    // premultiplied ones average without dark fringes at transparent edges.
    WICPixelFormatGUID format{};
    ComPtr<IWICBitmapSource> source;
    if (SUCCEEDED(frame->GetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        full.channels = 3;
        source = ComPtr<IWICBitmapSource>(frame.get());
    } else {
        ComPtr<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(converter.put())) ||
            FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom)))
            return {};
        source = ComPtr<IWICBitmapSource>(converter.get());
    }
    full.stride = (static_cast<size_t>(full.width) * full.channels + 3) & ~size_t{3};
    full.bytes.resize(full.stride * full.height);
    if (full.bytes.size() > MAXUINT ||
        FAILED(source->CopyPixels(nullptr, static_cast<UINT>(full.stride), static_cast<UINT>(full.bytes.size()),
                                  full.bytes.data())))
        return {};

    const SIZE fit = FitWithin(full.width, full.height, side);
    if (full.channels == 4 && static_cast<UINT>(fit.cx) == full.width && static_cast<UINT>(fit.cy) == full.height)
        return OpaqueDib(full, background);
    return OpaqueDib(Reduce(full, fit), background);
}

}  // namespace

UniqueBitmap DecodeFileFitted(const std::wstring& path, int side, COLORREF background) {
    ComPtr<IWICImagingFactory> factory = Factory();
    ComPtr<IWICBitmapDecoder> decoder;
    if (!factory || FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, decoder.put())))
        return {};
    return DecodeFitted(factory.get(), decoder.get(), side, 0, background);
}

UniqueBitmap DecodeMemoryFitted(const BYTE* data, size_t size, int side, int largestSide, COLORREF background) {
    ComPtr<IWICImagingFactory> factory = Factory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    if (!factory || !data || size == 0 || size > MAXDWORD || FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())))
        return {};
    return DecodeFitted(factory.get(), decoder.get(), side, largestSide, background);
}

bool EncodePng(HBITMAP bitmap, std::vector<BYTE>& png) {
    png.clear();
    BITMAP shape{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(shape), &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0)
        return false;
    const UINT width = static_cast<UINT>(shape.bmWidth);
    const UINT height = static_cast<UINT>(shape.bmHeight);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> bgra(static_cast<size_t>(width) * height * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, bgra.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != static_cast<int>(height)) return false;

    const UINT stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> bgr(static_cast<size_t>(stride) * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            std::copy_n(&bgra[(static_cast<size_t>(y) * width + x) * 4], 3, &bgr[static_cast<size_t>(y) * stride + x * 3]);

    ComPtr<IWICImagingFactory> factory = Factory();
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (!factory || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ||
        FAILED(frame->WritePixels(height, stride, static_cast<UINT>(bgr.size()), bgr.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return false;

    ULARGE_INTEGER end{};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Seek({}, STREAM_SEEK_END, &end)) || FAILED(GetHGlobalFromStream(stream.get(), &memory)))
        return false;
    GlobalMemoryLock<BYTE> lock(memory);
    if (!lock.get() || end.QuadPart > lock.size()) return false;
    png.assign(lock.get(), lock.get() + end.QuadPart);
    return !png.empty();
}

const std::vector<std::wstring>& DecodableExtensions() {
    static const std::vector<std::wstring> extensions = [] {
        std::vector<std::wstring> result;
        ComPtr<IWICImagingFactory> factory = Factory();
        ComPtr<IEnumUnknown> components;
        if (!factory || FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault,
                                                                  components.put())))
            return result;
        ComPtr<IUnknown> component;
        for (int n = 0; n < kMostDecoders && components->Next(1, component.put(), nullptr) == S_OK; ++n) {
            ComPtr<IWICBitmapCodecInfo> codec;
            UINT length = 0;
            if (FAILED(component->QueryInterface(IID_IWICBitmapCodecInfo, codec.putVoid())) ||
                FAILED(codec->GetFileExtensions(0, nullptr, &length)) || length == 0)
                continue;
            std::wstring list(length, L'\0');
            if (FAILED(codec->GetFileExtensions(length, list.data(), &length))) continue;
            list.resize(wcsnlen(list.c_str(), list.size()));
            // Documented as separated by commas; some decoders use semicolons.
            size_t start = 0;
            while (start <= list.size()) {
                size_t comma = list.find_first_of(L",;", start);
                if (comma == std::wstring::npos) comma = list.size();
                std::wstring extension = list.substr(start, comma - start);
                std::transform(extension.begin(), extension.end(), extension.begin(),
                               [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
                if (extension.size() > 1 && extension[0] == L'.') result.push_back(std::move(extension));
                start = comma + 1;
            }
        }
        return result;
    }();
    return extensions;
}
