#include "ui/markup/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kEndRecordSignature = 0x06054b50;
constexpr DWORD kDirEntrySignature = 0x02014b50;
constexpr DWORD kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDirEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxEndSearch = 65535;
constexpr size_t kChunk = 16384;
constexpr size_t kMaxName = 256; // names of this many bytes or more are never matched
constexpr size_t kEncryptionHeader = 12;
// Deflate cannot expand by more than this factor; a larger declared size is a lie.
constexpr uint64_t kMaxDeflateRatio = 1032;

WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

BYTE AsciiUpper(BYTE c) { return (c >= 'a' && c <= 'z') ? static_cast<BYTE>(c - 'a' + 'A') : c; }

// The traditional PKWARE stream cipher.
class ZipCipher {
public:
    void Init(const std::vector<BYTE>& password)
    {
        m_keys[0] = 0x12345678;
        m_keys[1] = 0x23456789;
        m_keys[2] = 0x34567890;
        for (BYTE c : password)
            Update(c);
    }
    BYTE Decrypt(BYTE c)
    {
        DWORD temp = (m_keys[2] | 2) & 0xffff;
        BYTE plain = static_cast<BYTE>(c ^ static_cast<BYTE>((temp * (temp ^ 1)) >> 8));
        Update(plain);
        return plain;
    }

private:
    static DWORD Crc(DWORD crc, BYTE c)
    {
        static const z_crc_t* table = get_crc_table();
        return static_cast<DWORD>(table[(crc ^ c) & 0xff]) ^ (crc >> 8);
    }
    void Update(BYTE c)
    {
        m_keys[0] = Crc(m_keys[0], c);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xff)) * 134775813u + 1;
        m_keys[2] = Crc(m_keys[2], static_cast<BYTE>(m_keys[1] >> 24));
    }
    DWORD m_keys[3] = {};
};

} // namespace

// Random access to the archive bytes. Reads past the end deliver fewer bytes (or none).
class ZipArchive::Source {
public:
    Source(const BYTE* data, size_t length) : m_data(data), m_length(length) {}
    explicit Source(std::vector<BYTE> owned)
        : m_owned(std::move(owned)), m_data(m_owned.data()), m_length(m_owned.size())
    {
    }
    uint64_t Size() const { return m_length; }
    size_t ReadAt(uint64_t offset, void* buffer, size_t count) const
    {
        if (offset >= m_length)
            return 0;
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, m_length - offset));
        memcpy(buffer, m_data + offset, n);
        return n;
    }
    bool ReadExact(uint64_t offset, void* buffer, size_t count) const { return ReadAt(offset, buffer, count) == count; }

private:
    std::vector<BYTE> m_owned;
    const BYTE* m_data;
    size_t m_length;
};

struct ZipArchive::DirEntry {
    ZipEntryInfo info;
    WORD flags = 0;
    WORD method = 0;
    DWORD crc = 0;
    DWORD localOffset = 0;
    WORD nameLength = 0;
};

struct ZipArchive::OpenEntry {
    DirEntry entry;
    uint64_t position = 0;        // next compressed byte to read
    uint64_t compressedLeft = 0;  // compressed bytes not yet read
    DWORD uncompressedLeft = 0;   // bytes still to deliver
    uLong crc = 0;                // of the bytes delivered so far
    bool encrypted = false;
    ZipCipher cipher;
    bool inflating = false;
    z_stream stream{};
    std::vector<BYTE> chunk;      // compressed bytes read but not yet consumed by inflate
};

ZipArchive::ZipArchive(std::unique_ptr<Source> source, const char* password) : m_source(std::move(source))
{
    if (password != nullptr)
        m_password.assign(password, password + strlen(password));
}

ZipArchive::~ZipArchive() { CloseEntry(); }

std::unique_ptr<ZipArchive> ZipArchive::OpenMemory(const void* data, size_t length, const char* password)
{
    if (data == nullptr && length != 0)
        return nullptr;
    std::unique_ptr<ZipArchive> archive(
        new ZipArchive(std::make_unique<Source>(static_cast<const BYTE*>(data), length), password));
    if (!archive->LocateDirectory())
        return nullptr;
    return archive;
}

std::unique_ptr<ZipArchive> ZipArchive::OpenFile(LPCWSTR path, const char* password)
{
    if (path == nullptr)
        return nullptr;
    // Read whole: skin archives are small, and one in-memory view serves every lookup.
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    std::vector<BYTE> bytes;
    bool ok = !(size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) && high == 0;
    if (ok) {
        bytes.resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(file);
    if (!ok)
        return nullptr;
    std::unique_ptr<ZipArchive> archive(new ZipArchive(std::make_unique<Source>(std::move(bytes)), password));
    if (!archive->LocateDirectory())
        return nullptr;
    return archive;
}

bool ZipArchive::LocateDirectory()
{
    // The end record is the signature nearest the end within the last 65535 bytes.
    uint64_t size = m_source->Size();
    size_t back = static_cast<size_t>(std::min<uint64_t>(size, kMaxEndSearch));
    if (back < 4)
        return false;
    std::vector<BYTE> tail(back);
    uint64_t tailStart = size - back;
    if (!m_source->ReadExact(tailStart, tail.data(), back))
        return false;
    uint64_t recordPos = 0;
    bool found = false;
    for (size_t i = back - 4 + 1; i-- > 0;) {
        if (Le32(&tail[i]) == kEndRecordSignature) {
            recordPos = tailStart + i;
            found = true;
            break;
        }
    }
    if (!found)
        return false;

    BYTE rec[kEndRecordSize];
    if (!m_source->ReadExact(recordPos, rec, sizeof rec))
        return false;
    WORD thisDisk = Le16(rec + 4);
    WORD dirDisk = Le16(rec + 6);
    WORD entriesHere = Le16(rec + 8);
    WORD entriesTotal = Le16(rec + 10);
    DWORD dirSize = Le32(rec + 12);
    DWORD dirOffset = Le32(rec + 16);
    if (thisDisk != 0 || dirDisk != 0 || entriesHere != entriesTotal)
        return false;
    uint64_t dirEnd = static_cast<uint64_t>(dirOffset) + dirSize;
    if (recordPos < dirEnd)
        return false;
    m_prefix = recordPos - dirEnd;
    m_dirOffset = m_prefix + dirOffset;
    m_totalEntries = entriesTotal;
    return true;
}

bool ZipArchive::Plausible(const DirEntry& e) const
{
    uint64_t compressed = e.info.compressedSize;
    uint64_t dataStart = m_prefix + e.localOffset + kLocalHeaderSize + e.nameLength;
    if (dataStart + compressed > m_source->Size())
        return false;
    uint64_t payload = compressed;
    if (e.flags & 1) {
        if (payload < kEncryptionHeader)
            return false;
        payload -= kEncryptionHeader;
    }
    if (e.method == 0)
        return e.info.uncompressedSize == payload;
    return e.info.uncompressedSize <= payload * kMaxDeflateRatio + kMaxDeflateRatio;
}

template <class Visit> bool ZipArchive::WalkDirectory(Visit visit)
{
    uint64_t pos = m_dirOffset;
    BYTE name[kMaxName];
    for (int i = 0; i < m_totalEntries; i++) {
        BYTE h[kDirEntrySize];
        if (!m_source->ReadExact(pos, h, sizeof h) || Le32(h) != kDirEntrySignature)
            return false;
        DirEntry e;
        e.info.index = i;
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.info.dosTime = Le16(h + 12);
        e.info.dosDate = Le16(h + 14);
        e.crc = Le32(h + 16);
        e.info.compressedSize = Le32(h + 20);
        e.info.uncompressedSize = Le32(h + 24);
        e.nameLength = Le16(h + 28);
        WORD extraLength = Le16(h + 30);
        WORD commentLength = Le16(h + 32);
        e.info.externalAttributes = Le32(h + 38);
        e.localOffset = Le32(h + 42);
        size_t nameRead = std::min<size_t>(e.nameLength, kMaxName);
        if (!m_source->ReadExact(pos + kDirEntrySize, name, nameRead))
            return false;
        // An entry whose sizes cannot be true is never offered: readers size buffers by them.
        if (Plausible(e) && visit(e, name, static_cast<size_t>(e.nameLength)))
            return true;
        pos += kDirEntrySize + e.nameLength + extraLength + commentLength;
    }
    return false;
}

bool ZipArchive::FindEntry(LPCWSTR name, bool ignoreCase, ZipEntryInfo* info)
{
    if (name == nullptr)
        return false;
    char wanted[260] = {};
    int n = WideCharToMultiByte(CP_UTF8, 0, name, -1, wanted, sizeof wanted - 1, nullptr, nullptr);
    if (n <= 0)
        return false;
    size_t wantedLength = strlen(wanted);
    if (wantedLength >= kMaxName)
        return false;
    DirEntry hit;
    bool found = WalkDirectory([&](const DirEntry& e, const BYTE* stored, size_t storedLength) {
        if (storedLength != wantedLength)
            return false;
        for (size_t i = 0; i < storedLength; i++) {
            BYTE a = stored[i];
            BYTE b = static_cast<BYTE>(wanted[i]);
            if (ignoreCase ? AsciiUpper(a) != AsciiUpper(b) : a != b)
                return false;
        }
        hit = e;
        return true;
    });
    if (!found)
        return false;
    m_lastFound = hit.info;
    if (info != nullptr)
        *info = hit.info;
    return true;
}

bool ZipArchive::GetEntry(int index, ZipEntryInfo* info)
{
    if (index < 0 || index >= m_totalEntries)
        return false;
    DirEntry hit;
    bool found = WalkDirectory([&](const DirEntry& e, const BYTE*, size_t) {
        if (e.info.index != index)
            return false;
        hit = e;
        return true;
    });
    if (!found)
        return false;
    if (info != nullptr)
        *info = hit.info;
    return true;
}

void ZipArchive::CloseEntry()
{
    if (m_open && m_open->inflating)
        inflateEnd(&m_open->stream);
    m_open.reset();
}

ZipResult ZipArchive::OpenEntryAt(const DirEntry& e)
{
    CloseEntry();
    BYTE h[kLocalHeaderSize];
    uint64_t headerPos = m_prefix + e.localOffset;
    if (!m_source->ReadExact(headerPos, h, sizeof h) || Le32(h) != kLocalHeaderSignature)
        return ZipResult::DataError;
    WORD flags = Le16(h + 6);
    WORD method = Le16(h + 8);
    if (method != e.method || (method != 0 && method != Z_DEFLATED))
        return ZipResult::DataError;
    if ((flags & 8) == 0) {
        if (Le32(h + 14) != e.crc || Le32(h + 18) != e.info.compressedSize ||
            Le32(h + 22) != e.info.uncompressedSize)
            return ZipResult::DataError;
    }
    if (Le16(h + 26) != e.nameLength)
        return ZipResult::DataError;
    WORD localExtra = Le16(h + 28);

    auto open = std::make_unique<OpenEntry>();
    open->entry = e;
    open->position = headerPos + kLocalHeaderSize + e.nameLength + localExtra;
    open->compressedLeft = e.info.compressedSize;
    open->uncompressedLeft = e.info.uncompressedSize;
    if (e.flags & 1) {
        open->encrypted = true;
        if (open->compressedLeft < kEncryptionHeader)
            return ZipResult::DataError;
        BYTE header[kEncryptionHeader];
        if (!m_source->ReadExact(open->position, header, sizeof header))
            return ZipResult::DataError;
        open->cipher.Init(m_password);
        BYTE last = 0;
        for (BYTE c : header)
            last = open->cipher.Decrypt(c);
        BYTE check = (e.flags & 8) ? static_cast<BYTE>(e.info.dosTime >> 8) : static_cast<BYTE>(e.crc >> 24);
        if (last != check)
            return ZipResult::PasswordError;
        open->position += kEncryptionHeader;
        open->compressedLeft -= kEncryptionHeader;
    }
    if (e.method == Z_DEFLATED) {
        if (inflateInit2(&open->stream, -MAX_WBITS) != Z_OK)
            return ZipResult::DataError;
        open->inflating = true;
    }
    m_open = std::move(open);
    return ZipResult::Complete;
}

size_t ZipArchive::ReadCompressed(BYTE* chunk, size_t want)
{
    OpenEntry& o = *m_open;
    want = static_cast<size_t>(std::min<uint64_t>(want, o.compressedLeft));
    size_t got = m_source->ReadAt(o.position, chunk, want);
    o.position += got;
    o.compressedLeft -= got;
    if (o.encrypted) {
        for (size_t i = 0; i < got; i++)
            chunk[i] = o.cipher.Decrypt(chunk[i]);
    }
    return got;
}

ZipResult ZipArchive::Continue(BYTE* out, DWORD size, DWORD* written)
{
    OpenEntry& o = *m_open;
    DWORD done = 0;
    if (!o.inflating) {
        while (done < size && o.uncompressedLeft > 0) {
            size_t want = std::min<size_t>({kChunk, static_cast<size_t>(size - done), o.uncompressedLeft});
            size_t got = ReadCompressed(out + done, want);
            if (got == 0)
                break;
            o.crc = crc32(o.crc, out + done, static_cast<uInt>(got));
            done += static_cast<DWORD>(got);
            o.uncompressedLeft -= static_cast<DWORD>(got);
        }
        *written = done;
        if (o.uncompressedLeft == 0)
            return o.crc == o.entry.crc ? ZipResult::Complete : ZipResult::DataError;
        if (done == size)
            return ZipResult::MoreData;
        return ZipResult::DataError; // the stored data ends before its size
    }

    bool streamEnd = false;
    while (done < size && o.uncompressedLeft > 0) {
        bool inputEnded = false;
        if (o.stream.avail_in == 0) {
            o.chunk.resize(kChunk);
            size_t got = ReadCompressed(o.chunk.data(), kChunk);
            o.stream.next_in = o.chunk.data();
            o.stream.avail_in = static_cast<uInt>(got);
            inputEnded = got == 0; // the entry's bytes are used up, or the archive ends early
        }
        DWORD room = std::min(size - done, o.uncompressedLeft);
        o.stream.next_out = out + done;
        o.stream.avail_out = room;
        int rc = inflate(&o.stream, Z_SYNC_FLUSH);
        DWORD produced = room - o.stream.avail_out;
        o.crc = crc32(o.crc, out + done, produced);
        done += produced;
        o.uncompressedLeft -= produced;
        if (rc == Z_STREAM_END) {
            streamEnd = true;
            break;
        }
        if (produced == 0 && o.stream.avail_in == 0 && (inputEnded || o.compressedLeft == 0) && rc != Z_OK) {
            *written = done;
            return ZipResult::DataError; // the compressed data ends inside the stream
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            *written = done;
            return ZipResult::DataError;
        }
    }
    *written = done;
    // A stream that ends short of the declared size, or bytes that fail their checksum, are corrupt.
    if (o.uncompressedLeft == 0)
        return o.crc == o.entry.crc ? ZipResult::Complete : ZipResult::DataError;
    if (streamEnd)
        return ZipResult::DataError;
    return ZipResult::MoreData;
}

ZipResult ZipArchive::ReadEntry(int index, void* buffer, DWORD size, DWORD* written)
{
    DWORD dummy = 0;
    if (written == nullptr)
        written = &dummy;
    *written = 0;
    if (buffer == nullptr && size != 0)
        return ZipResult::DataError;
    if (!m_open || m_open->entry.info.index != index) {
        DirEntry hit;
        bool found = index >= 0 && index < m_totalEntries && WalkDirectory([&](const DirEntry& e, const BYTE*, size_t) {
                         if (e.info.index != index)
                             return false;
                         hit = e;
                         return true;
                     });
        if (!found)
            return ZipResult::DataError;
        ZipResult opened = OpenEntryAt(hit);
        if (opened != ZipResult::Complete) {
            CloseEntry();
            return opened;
        }
    }
    ZipResult result = Continue(static_cast<BYTE*>(buffer), size, written);
    if (result != ZipResult::MoreData)
        CloseEntry();
    return result;
}
