// Reader of the skin archive: a zip file on disk or a zip archive in memory (read in place).
// Stored and deflated entries, traditional PKWARE encryption, data preceded by a prefix.
#pragma once

#include "ui/platform/win32.h"

#include <cstdint>
#include <memory>
#include <vector>

struct ZipEntryInfo {
    int index = -1;
    DWORD compressedSize = 0;
    DWORD uncompressedSize = 0;
    DWORD externalAttributes = 0;
    WORD dosTime = 0;
    WORD dosDate = 0;
};

enum class ZipResult {
    Complete,      // the whole entry was delivered
    MoreData,      // the buffer filled before the entry ended; the next read continues
    PasswordError, // wrong password (check byte mismatch)
    DataError,     // corrupt or unsupported entry, or the entry could not be opened
};

class ZipArchive {
public:
    // The password is a narrow string (empty or null: none).
    static std::unique_ptr<ZipArchive> OpenFile(LPCWSTR path, const char* password);
    // The block is not copied and must stay valid while the archive is open.
    static std::unique_ptr<ZipArchive> OpenMemory(const void* data, size_t length, const char* password);

    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive();

    int GetEntryCount() const { return m_totalEntries; }
    uint64_t GetPrefix() const { return m_prefix; }

    // First entry whose stored name equals the name (UTF-8); ignoreCase folds ASCII letters only.
    bool FindEntry(LPCWSTR name, bool ignoreCase, ZipEntryInfo* info);
    // Entry information by index; false when out of range or the directory is corrupt.
    bool GetEntry(int index, ZipEntryInfo* info);
    // Reads (more of) an entry into the buffer. Reading the open entry again continues it.
    ZipResult ReadEntry(int index, void* buffer, DWORD size, DWORD* written);

    class Source;

private:
    struct OpenEntry;
    struct DirEntry;

    ZipArchive(std::unique_ptr<Source> source, const char* password);
    bool LocateDirectory();
    // False for an entry whose sizes cannot be true (data beyond the archive, impossible ratio).
    bool Plausible(const DirEntry& entry) const;
    // Walks the directory; calls visit(entry, name) until it returns true. False at the end
    // or on a corrupt directory.
    template <class Visit> bool WalkDirectory(Visit visit);
    ZipResult OpenEntryAt(const DirEntry& entry);
    ZipResult Continue(BYTE* out, DWORD size, DWORD* written);
    void CloseEntry();
    size_t ReadCompressed(BYTE* chunk, size_t want);

    std::unique_ptr<Source> m_source;
    std::vector<BYTE> m_password;
    uint64_t m_prefix = 0;
    uint64_t m_dirOffset = 0; // absolute position of the first directory entry
    int m_totalEntries = 0;
    std::unique_ptr<OpenEntry> m_open;
    ZipEntryInfo m_lastFound;
};
