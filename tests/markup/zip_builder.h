// Builds zip archives for the tests: stored or deflated entries, traditional encryption,
// data before the archive, an archive comment, and damaged local headers.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

struct Entry {
    std::string name; // UTF-8
    std::string data;
    int method = 8;           // 0 stored, 8 deflated
    std::string password;     // non-empty: encrypted
    bool dataDescriptor = false; // flag bit 3: the check byte is the high byte of the time
    bool corruptLocalSignature = false;
    size_t truncatePayload = 0;   // non-zero: keep only this many compressed bytes
    uint32_t extraCompressedSize = 0; // claimed beyond the stored bytes
    uint16_t dosTime = 0x6a5c;

    Entry(std::string n, std::string d, int m = 8, std::string pw = "", bool descriptor = false)
        : name(std::move(n)), data(std::move(d)), method(m), password(std::move(pw)), dataDescriptor(descriptor)
    {
    }
};

inline void Put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}
inline void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

inline std::string Deflate(const std::string& in)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, in.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The traditional PKWARE cipher, written from the published application note.
class Cipher {
public:
    explicit Cipher(const std::string& password)
    {
        for (char c : password)
            Update(static_cast<uint8_t>(c));
    }
    uint8_t Encrypt(uint8_t plain)
    {
        uint32_t t = (k2 | 2) & 0xffff;
        uint8_t c = static_cast<uint8_t>(plain ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return c;
    }

private:
    static uint32_t Crc(uint32_t crc, uint8_t b)
    {
        crc ^= b;
        for (int i = 0; i < 8; i++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        return crc;
    }
    void Update(uint8_t c)
    {
        k0 = Crc(k0, c);
        k1 = (k1 + (k0 & 0xff)) * 134775813u + 1;
        k2 = Crc(k2, static_cast<uint8_t>(k1 >> 24));
    }
    uint32_t k0 = 0x12345678, k1 = 0x23456789, k2 = 0x34567890;
};

inline std::string Build(const std::vector<Entry>& entries, const std::string& prefix = "",
                         const std::string& comment = "")
{
    std::string out = prefix;
    std::string dir;
    for (const Entry& e : entries) {
        uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                   static_cast<uInt>(e.data.size())));
        std::string payload = e.method == 8 ? Deflate(e.data) : e.data;
        if (e.truncatePayload != 0)
            payload.resize(e.truncatePayload);
        uint16_t flags = 0;
        if (!e.password.empty()) {
            flags |= 1;
            Cipher cipher(e.password);
            std::string enc;
            for (int i = 0; i < 11; i++)
                enc.push_back(static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(0x5a + i * 7))));
            uint8_t check = e.dataDescriptor ? static_cast<uint8_t>(e.dosTime >> 8) : static_cast<uint8_t>(crc >> 24);
            enc.push_back(static_cast<char>(cipher.Encrypt(check)));
            for (char c : payload)
                enc.push_back(static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(c))));
            payload = enc;
        }
        if (e.dataDescriptor)
            flags |= 8;
        uint32_t localOffset = static_cast<uint32_t>(out.size() - prefix.size());
        std::string local;
        Put32(local, e.corruptLocalSignature ? 0x04034b51 : 0x04034b50);
        Put16(local, 20);
        Put16(local, flags);
        Put16(local, static_cast<uint32_t>(e.method));
        Put16(local, e.dosTime);
        Put16(local, 0x5a21);
        Put32(local, e.dataDescriptor ? 0 : crc);
        Put32(local, e.dataDescriptor ? 0 : static_cast<uint32_t>(payload.size()) + e.extraCompressedSize);
        Put32(local, e.dataDescriptor ? 0 : static_cast<uint32_t>(e.data.size()));
        Put16(local, static_cast<uint32_t>(e.name.size()));
        Put16(local, 4);
        local += e.name;
        local += std::string("\xfe\xca\x00\x00", 4); // an extra field the reader must skip
        out += local;
        out += payload;

        Put32(dir, 0x02014b50);
        Put16(dir, 20);
        Put16(dir, 20);
        Put16(dir, flags);
        Put16(dir, static_cast<uint32_t>(e.method));
        Put16(dir, e.dosTime);
        Put16(dir, 0x5a21);
        Put32(dir, crc);
        Put32(dir, static_cast<uint32_t>(payload.size()) + e.extraCompressedSize);
        Put32(dir, static_cast<uint32_t>(e.data.size()));
        Put16(dir, static_cast<uint32_t>(e.name.size()));
        Put16(dir, 0);
        Put16(dir, 3);
        Put16(dir, 0);
        Put16(dir, 0);
        Put32(dir, 0);
        Put32(dir, localOffset);
        dir += e.name;
        dir += "abc"; // entry comment
    }
    uint32_t dirOffset = static_cast<uint32_t>(out.size() - prefix.size());
    out += dir;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put32(out, static_cast<uint32_t>(dir.size()));
    Put32(out, dirOffset);
    Put16(out, static_cast<uint32_t>(comment.size()));
    out += comment;
    return out;
}

} // namespace ziptest
