#pragma once
// Our own per-folder thumbnail cache behind IShellImageStore (with
// IPersistFolder to name the folder), the stand-in where the platform's class
// is missing. Callers normally get it through CreateThumbnailStore.
//
// - The cache is one hidden file in the folder it serves. Open fails with
//   STG_E_FILENOTFOUND while there is none; Create makes it.
// - Open and Create take a lock: the file stays open from then until the
//   matching ReleaseLock (or Close); entries are read and written only while
//   a lock is held, written only under a lock taken with STGM_WRITE or
//   STGM_READWRITE. A writer lets only readers in; readers keep nobody out
//   (what they read is checked), and a reader's handle may stay open after
//   its lock while the file is unchanged.
// - Entries are found by name (case ignored, as file names are) and carry a
//   time stamp; a picture goes in as any bitmap and comes out as a 32-bit DIB
//   section of the same size.
// - The file is a log: every AddEntry or DeleteEntry appends a record and the
//   last record of a name wins. Whatever is read back is checked before use;
//   a damaged or foreign record ends the readable part of the file, the rest
//   is ignored and the next write cuts it off. Space taken by superseded
//   records is reclaimed when it outweighs the live entries.
// - Enum is not offered.

#include "app/ComPtr.h"
#include "shell/ShellGuids.h"

// The cache file's name inside the folder it serves.
inline constexpr wchar_t kThumbnailStoreFileName[] = L"ZEKOThumbs.db";

ComPtr<IShellImageStore> CreateOwnThumbnailStore();
