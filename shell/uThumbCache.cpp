#include "shell/uThumbCache.h"

#include "app/Handles.h"
#include "shell/uWicImage.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// File layout, all numbers little-endian:
//   header   "ZEKOTHM1", u32 version, u32 reserved
//   records  u32 tag "TREC", u32 name bytes, u64 time stamp, u32 picture
//            bytes, u32 CRC-32 of name and picture, u32 flags, u32 reserved,
//            then the name (UTF-16, no terminator) and the picture (PNG).
constexpr char kMagic[8] = {'Z', 'E', 'K', 'O', 'T', 'H', 'M', '1'};
constexpr DWORD kVersion = 1;
constexpr DWORD kRecordTag = 0x43455254;  // "TREC"
constexpr DWORD kDeleted = 1;
// A thumbnail is small; anything bigger in a record is damage, not a picture.
constexpr DWORD kLargestPicture = 4 * 1024 * 1024;
constexpr int kLargestSide = 2048;
// Superseded records are rewritten away only past this much waste.
constexpr UINT64 kCompactionThreshold = 1024 * 1024;

#pragma pack(push, 1)
struct FileHeader {
    char magic[8];
    DWORD version;
    DWORD reserved;
};
struct RecordHeader {
    DWORD tag;
    DWORD nameBytes;
    UINT64 timeStamp;
    DWORD pictureBytes;
    DWORD crc;
    DWORD flags;
    DWORD reserved;
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 16 && sizeof(RecordHeader) == 32);

DWORD Crc32(const BYTE* data, size_t size, DWORD crc = 0) {
    static const auto table = [] {
        std::vector<DWORD> t(256);
        for (DWORD n = 0; n < 256; ++n) {
            DWORD c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool ReadAt(HANDLE file, UINT64 offset, void* buffer, DWORD bytes) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, buffer, bytes, &read, &at) && read == bytes;
}

bool WriteAt(HANDLE file, UINT64 offset, const void* buffer, DWORD bytes) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    return WriteFile(file, buffer, bytes, &written, &at) && written == bytes;
}

bool TruncateAt(HANDLE file, UINT64 offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

bool Writable(DWORD mode) { return (mode & (STGM_WRITE | STGM_READWRITE)) != 0; }

HRESULT OpenFailure() {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return STG_E_FILENOTFOUND;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return STG_E_LOCKVIOLATION;
    return HRESULT_FROM_WIN32(error);
}

std::wstring Key(const std::wstring& name) {
    std::wstring key = name;
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

bool ValidName(PCWSTR name) {
    if (!name) return false;
    const size_t length = wcsnlen(name, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH;
}

struct Entry {
    UINT64 offset;  // of the record header
    UINT64 timeStamp;
    DWORD recordBytes;
};

class TThumbStore final : public IShellImageStore, public IPersistFolder {
public:
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShellImageStore)))
            *object = static_cast<IShellImageStore*>(this);
        else if (IsEqualIID(iid, IID_IPersistFolder) || IsEqualIID(iid, IID_IPersist))
            *object = static_cast<IPersistFolder*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IPersistFolder
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE folder) override {
        std::lock_guard guard(mutex_);
        wchar_t path[MAX_PATH] = {};
        if (!folder || !SHGetPathFromIDListW(folder, path) || !path[0]) return E_INVALIDARG;
        std::wstring file = path;
        if (file.back() != L'\\') file += L'\\';
        file += kThumbnailStoreFileName;
        if (file.size() >= MAX_PATH) return E_INVALIDARG;
        CloseLocked();
        path_ = std::move(file);
        ForgetIndex();
        return S_OK;
    }

    // IShellImageStore
    HRESULT STDMETHODCALLTYPE Open(DWORD mode, DWORD* lock) override {
        std::lock_guard guard(mutex_);
        return Lock(mode, lock, false);
    }
    HRESULT STDMETHODCALLTYPE Create(DWORD mode, DWORD* lock) override {
        std::lock_guard guard(mutex_);
        return Lock(mode, lock, true);
    }
    HRESULT STDMETHODCALLTYPE ReleaseLock(const DWORD*) override {
        std::lock_guard guard(mutex_);
        if (locks_ == 0) return S_FALSE;
        if (--locks_ == 0) Unlock();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(const DWORD*) override {
        std::lock_guard guard(mutex_);
        CloseLocked();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit(const DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsLocked() override {
        std::lock_guard guard(mutex_);
        return locks_ > 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetMode(DWORD* mode) override {
        if (!mode) return E_POINTER;
        std::lock_guard guard(mutex_);
        *mode = mode_;
        return isOpen_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* mask) override {
        if (!mask) return E_POINTER;
        *mask = SHIMSTCAPFLAG_LOCKABLE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddEntry(PCWSTR name, const FILETIME* timeStamp, DWORD, HBITMAP image) override {
        if (!ValidName(name) || !timeStamp || !image) return E_INVALIDARG;
        std::vector<BYTE> picture;
        if (!EncodePng(image, picture) || picture.size() > kLargestPicture) return E_FAIL;
        std::lock_guard guard(mutex_);
        if (!file_ || !Writable(lockMode_)) return STG_E_ACCESSDENIED;
        const UINT64 stamp = (static_cast<UINT64>(timeStamp->dwHighDateTime) << 32) | timeStamp->dwLowDateTime;
        return Append(name, stamp, picture, 0);
    }
    HRESULT STDMETHODCALLTYPE GetEntry(PCWSTR name, DWORD, HBITMAP* image) override {
        if (!image) return E_POINTER;
        *image = nullptr;
        if (!ValidName(name)) return E_INVALIDARG;
        std::vector<BYTE> picture;
        {
            std::lock_guard guard(mutex_);
            if (!file_) return STG_E_ACCESSDENIED;
            auto found = index_.find(Key(name));
            if (found == index_.end() || !ReadPicture(found->second, name, picture)) return E_FAIL;
        }
        UniqueBitmap bitmap = DecodeMemoryFitted(picture.data(), picture.size(), kLargestSide, kLargestSide,
                                                 GetSysColor(COLOR_WINDOW));
        if (!bitmap) return E_FAIL;
        *image = bitmap.release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteEntry(PCWSTR name) override {
        if (!ValidName(name)) return E_INVALIDARG;
        std::lock_guard guard(mutex_);
        if (!file_ || !Writable(lockMode_)) return STG_E_ACCESSDENIED;
        if (index_.find(Key(name)) == index_.end()) return S_FALSE;
        return Append(name, 0, {}, kDeleted);
    }
    HRESULT STDMETHODCALLTYPE IsEntryInStore(PCWSTR name, FILETIME* timeStamp) override {
        if (!ValidName(name)) return E_INVALIDARG;
        std::lock_guard guard(mutex_);
        if (!indexValid_) return S_FALSE;
        auto found = index_.find(Key(name));
        if (found == index_.end()) return S_FALSE;
        if (timeStamp) {
            timeStamp->dwLowDateTime = static_cast<DWORD>(found->second.timeStamp);
            timeStamp->dwHighDateTime = static_cast<DWORD>(found->second.timeStamp >> 32);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enum(IEnumShellImageStore** enumerator) override {
        if (enumerator) *enumerator = nullptr;
        return E_NOTIMPL;
    }

private:
    ~TThumbStore() = default;

    HRESULT Lock(DWORD mode, DWORD* lock, bool create) {
        if (!lock) return E_POINTER;
        if (path_.empty()) return E_UNEXPECTED;
        // Looking for a missing name in a large folder can cost a scan of the
        // whole folder; a cache found missing stays missing until it is made
        // here or the store is closed.
        if (!create && knownMissing_) return STG_E_FILENOTFOUND;
        if (!file_ && !Writable(mode)) ReuseIdleReader();
        idle_.reset();
        if (file_) {
            // One file handle serves every lock; a writer cannot hide behind a reader's handle.
            if (Writable(mode) && !Writable(lockMode_)) return STG_E_LOCKVIOLATION;
        } else {
            const DWORD access = Writable(mode) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
            // A reader's handle outlives its lock (see Unlock), so it keeps nobody out.
            const DWORD share =
                Writable(mode) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
            HANDLE file = CreateFileW(path_.c_str(), access, share, nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                const HRESULT failure = OpenFailure();
                knownMissing_ = failure == STG_E_FILENOTFOUND;
                return failure;
            }
            knownMissing_ = false;
            file_.reset(file);
            lockMode_ = mode;
            if (!LoadIndex() && Writable(mode) && !StartAfresh()) {
                file_.reset();
                return STG_E_WRITEFAULT;
            }
        }
        ++locks_;
        mode_ = mode;
        isOpen_ = true;
        *lock = ++lastLock_;
        return S_OK;
    }

    // Opening a file costs about a millisecond under some platforms, and the
    // view looks at the cache once per item: a reader's handle is kept idle
    // and taken up again while the file has not changed.
    void Unlock() {
        const bool writer = Writable(lockMode_);
        if (writer && waste_ > kCompactionThreshold && waste_ > live_) Compact();
        RememberFileState();
        if (!writer && indexValid_) idle_ = std::move(file_);
        file_.reset();
        lockMode_ = 0;
    }

    void ReuseIdleReader() {
        WIN32_FILE_ATTRIBUTE_DATA now{};
        if (!idle_ || !indexValid_ || !GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &now)) return;
        const UINT64 size = (static_cast<UINT64>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
        if (size != knownSize_ || CompareFileTime(&now.ftLastWriteTime, &knownWrite_) != 0) return;
        file_ = std::move(idle_);
        lockMode_ = STGM_READ;
    }

    void CloseLocked() {
        knownMissing_ = false;
        if (file_) Unlock();
        idle_.reset();
        locks_ = 0;
        mode_ = 0;
        isOpen_ = false;
    }

    void ForgetIndex() {
        index_.clear();
        indexValid_ = false;
        live_ = waste_ = 0;
        end_ = 0;
    }

    bool FileState(UINT64& size, FILETIME& written) const {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file_.get(), &info)) return false;
        size = (static_cast<UINT64>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        written = info.ftLastWriteTime;
        return true;
    }

    void RememberFileState() {
        if (!indexValid_ || !FileState(knownSize_, knownWrite_)) indexValid_ = false;
    }

    // Reads every record's header and name; false when the file does not
    // start as a cache file. Kept from the last time while the file is
    // unchanged, which spares a rescan per item.
    bool LoadIndex() {
        UINT64 size = 0;
        FILETIME written{};
        if (!FileState(size, written)) {
            ForgetIndex();
            return false;
        }
        if (indexValid_ && size == knownSize_ && CompareFileTime(&written, &knownWrite_) == 0) return true;
        ForgetIndex();
        FileHeader header{};
        if (size < sizeof(header) || !ReadAt(file_.get(), 0, &header, sizeof(header)) ||
            std::memcmp(header.magic, kMagic, sizeof(kMagic)) != 0 || header.version != kVersion)
            return false;

        UINT64 offset = sizeof(header);
        std::vector<wchar_t> name(MAX_PATH);
        RecordHeader record{};
        while (size - offset >= sizeof(record) && ReadAt(file_.get(), offset, &record, sizeof(record))) {
            const UINT64 bytes = sizeof(record) + static_cast<UINT64>(record.nameBytes) + record.pictureBytes;
            if (record.tag != kRecordTag || record.nameBytes == 0 || record.nameBytes % 2 != 0 ||
                record.nameBytes > MAX_PATH * sizeof(wchar_t) || record.pictureBytes > kLargestPicture ||
                bytes > size - offset || (record.flags & ~kDeleted) != 0 ||
                !ReadAt(file_.get(), offset + sizeof(record), name.data(), record.nameBytes))
                break;
            const std::wstring text(name.data(), record.nameBytes / sizeof(wchar_t));
            if (text.find(L'\0') != std::wstring::npos) break;
            Forget(Key(text));
            if (record.flags & kDeleted) {
                waste_ += bytes;
            } else {
                index_[Key(text)] = {offset, record.timeStamp, static_cast<DWORD>(bytes)};
                live_ += bytes;
            }
            offset += bytes;
        }
        end_ = offset;
        indexValid_ = true;
        knownSize_ = size;
        knownWrite_ = written;
        return true;
    }

    // A file that is not ours to read becomes an empty cache.
    bool StartAfresh() {
        FileHeader header{};
        std::memcpy(header.magic, kMagic, sizeof(kMagic));
        header.version = kVersion;
        if (!WriteAt(file_.get(), 0, &header, sizeof(header)) || !TruncateAt(file_.get(), sizeof(header)))
            return false;
        ForgetIndex();
        end_ = sizeof(header);
        indexValid_ = true;
        return true;
    }

    void Forget(const std::wstring& key) {
        auto found = index_.find(key);
        if (found == index_.end()) return;
        live_ -= found->second.recordBytes;
        waste_ += found->second.recordBytes;
        index_.erase(found);
    }

    HRESULT Append(PCWSTR name, UINT64 stamp, const std::vector<BYTE>& picture, DWORD flags) {
        const std::wstring text(name);
        const DWORD nameBytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        RecordHeader record{};
        record.tag = kRecordTag;
        record.nameBytes = nameBytes;
        record.timeStamp = stamp;
        record.pictureBytes = static_cast<DWORD>(picture.size());
        record.flags = flags;
        record.crc = Crc32(picture.data(), picture.size(),
                           Crc32(reinterpret_cast<const BYTE*>(text.data()), nameBytes));
        std::vector<BYTE> bytes(sizeof(record) + nameBytes + picture.size());
        std::memcpy(bytes.data(), &record, sizeof(record));
        std::memcpy(bytes.data() + sizeof(record), text.data(), nameBytes);
        if (!picture.empty()) std::memcpy(bytes.data() + sizeof(record) + nameBytes, picture.data(), picture.size());

        // Anything past the last good record is cut off by writing over it.
        if (!WriteAt(file_.get(), end_, bytes.data(), static_cast<DWORD>(bytes.size())) ||
            !TruncateAt(file_.get(), end_ + bytes.size()))
            return STG_E_WRITEFAULT;
        const std::wstring key = Key(text);
        Forget(key);
        if (flags & kDeleted) {
            waste_ += bytes.size();
        } else {
            index_[key] = {end_, stamp, static_cast<DWORD>(bytes.size())};
            live_ += bytes.size();
        }
        end_ += bytes.size();
        return S_OK;
    }

    bool ReadPicture(const Entry& entry, PCWSTR name, std::vector<BYTE>& picture) const {
        RecordHeader record{};
        if (entry.recordBytes < sizeof(record) || !ReadAt(file_.get(), entry.offset, &record, sizeof(record)))
            return false;
        // The file may have changed under another process's hand since it was indexed.
        const std::wstring text(name);
        if (record.tag != kRecordTag || record.flags != 0 || record.nameBytes != text.size() * sizeof(wchar_t) ||
            record.pictureBytes == 0 || record.pictureBytes > kLargestPicture ||
            sizeof(record) + static_cast<UINT64>(record.nameBytes) + record.pictureBytes != entry.recordBytes)
            return false;
        std::vector<BYTE> body(record.nameBytes + record.pictureBytes);
        if (!ReadAt(file_.get(), entry.offset + sizeof(record), body.data(), static_cast<DWORD>(body.size())) ||
            Crc32(body.data(), body.size()) != record.crc ||
            CompareStringOrdinal(reinterpret_cast<const wchar_t*>(body.data()),
                                 static_cast<int>(record.nameBytes / sizeof(wchar_t)), text.c_str(),
                                 static_cast<int>(text.size()), TRUE) != CSTR_EQUAL)
            return false;
        picture.assign(body.begin() + record.nameBytes, body.end());
        return true;
    }

    // Moves the live records down over the superseded ones, in file order,
    // so every read is ahead of every write.
    void Compact() {
        std::vector<Entry*> entries;
        entries.reserve(index_.size());
        for (auto& [key, entry] : index_) entries.push_back(&entry);
        std::sort(entries.begin(), entries.end(), [](const Entry* a, const Entry* b) { return a->offset < b->offset; });
        UINT64 target = sizeof(FileHeader);
        std::vector<BYTE> buffer;
        for (Entry* entry : entries) {
            buffer.resize(entry->recordBytes);
            if (!ReadAt(file_.get(), entry->offset, buffer.data(), entry->recordBytes) ||
                !WriteAt(file_.get(), target, buffer.data(), entry->recordBytes)) {
                // The file is now only partly rewritten: read it afresh next time.
                ForgetIndex();
                return;
            }
            entry->offset = target;
            target += entry->recordBytes;
        }
        if (!TruncateAt(file_.get(), target)) {
            ForgetIndex();
            return;
        }
        end_ = target;
        waste_ = 0;
    }

    LONG references_ = 1;
    std::mutex mutex_;
    std::wstring path_;
    UniqueHandle file_;
    UniqueHandle idle_;   // a reader's handle kept after its lock
    DWORD lockMode_ = 0;  // the access file_ was opened with
    DWORD mode_ = 0;      // the mode of the last Open or Create
    bool isOpen_ = false;
    bool knownMissing_ = false;
    DWORD locks_ = 0;
    DWORD lastLock_ = 0;

    std::unordered_map<std::wstring, Entry> index_;
    bool indexValid_ = false;
    UINT64 end_ = 0;  // where the next record goes
    UINT64 live_ = 0, waste_ = 0;
    UINT64 knownSize_ = 0;
    FILETIME knownWrite_{};
};

}  // namespace

ComPtr<IShellImageStore> CreateOwnThumbnailStore() {
    return ComPtr<IShellImageStore>::attach(new TThumbStore());
}
