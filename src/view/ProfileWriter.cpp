#include "view/ProfileWriter.h"

#include <windows.h>

#include <string.h>
#include <wchar.h>

namespace {
std::string Be32(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A zlib stream of stored blocks: every reader inflates it, and a profile gains only a few bytes.
std::string StoredZlib(const std::vector<uint8_t>& data) {
    std::string z("\x78\x01", 2);
    size_t pos = 0;
    do {
        const size_t n = data.size() - pos < 65535 ? data.size() - pos : 65535;
        const bool bLast = pos + n == data.size();
        z += static_cast<char>(bLast ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(reinterpret_cast<const char*>(data.data()) + pos, n);
        pos += n;
    } while (pos < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return z + Be32((b << 16) | a);
}
}  // namespace

bool InsertJpegProfile(std::string* pJpeg, const std::vector<uint8_t>& icc) {
    std::string& s = *pJpeg;
    if (s.size() < 4 || static_cast<uint8_t>(s[0]) != 0xFF || static_cast<uint8_t>(s[1]) != 0xD8 || icc.empty())
        return false;
    const size_t kPiece = 65519;  // a segment's most, less its length, name, number and count
    const size_t nPieces = (icc.size() + kPiece - 1) / kPiece;
    if (nPieces > 255)
        return false;
    size_t at = 2;
    // After the JFIF block, which readers expect first.
    if (s.size() >= 6 && static_cast<uint8_t>(s[2]) == 0xFF && static_cast<uint8_t>(s[3]) == 0xE0) {
        const size_t nLen = (static_cast<uint8_t>(s[4]) << 8) | static_cast<uint8_t>(s[5]);
        if (2 + 2 + nLen > s.size())
            return false;
        at = 2 + 2 + nLen;
    }
    std::string segments;
    for (size_t i = 0; i < nPieces; ++i) {
        const size_t n = icc.size() - i * kPiece < kPiece ? icc.size() - i * kPiece : kPiece;
        const size_t nLen = 2 + 12 + 2 + n;
        segments += "\xFF\xE2";
        segments += static_cast<char>(nLen >> 8);
        segments += static_cast<char>(nLen & 0xFF);
        segments.append("ICC_PROFILE\0", 12);
        segments += static_cast<char>(i + 1);
        segments += static_cast<char>(nPieces);
        segments.append(reinterpret_cast<const char*>(icc.data()) + i * kPiece, n);
    }
    s.insert(at, segments);
    return true;
}

bool InsertPngProfile(std::string* pPng, const std::vector<uint8_t>& icc) {
    std::string& s = *pPng;
    if (s.size() < 33 || s.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0 || s.compare(12, 4, "IHDR") != 0 || icc.empty())
        return false;
    // Without the sRGB chunk, which says the opposite of the profile.
    size_t pos = 8;
    while (s.size() - pos >= 12) {
        const uint32_t nLen = (static_cast<uint32_t>(static_cast<uint8_t>(s[pos])) << 24) |
                              (static_cast<uint8_t>(s[pos + 1]) << 16) | (static_cast<uint8_t>(s[pos + 2]) << 8) |
                              static_cast<uint8_t>(s[pos + 3]);
        if (nLen > s.size() - pos - 12)
            return false;
        if (s.compare(pos + 4, 4, "IDAT") == 0)
            break;
        if (s.compare(pos + 4, 4, "sRGB") == 0 || s.compare(pos + 4, 4, "iCCP") == 0) {
            s.erase(pos, 12 + nLen);
            continue;
        }
        pos += 12 + nLen;
    }
    const std::string body = std::string("iCCP") + std::string("ICC profile\0\0", 13) + StoredZlib(icc);
    const std::string chunk = Be32(static_cast<uint32_t>(body.size() - 4)) + body + Be32(Crc32(body));
    s.insert(33, chunk);  // after the signature and the header chunk
    return true;
}

bool InsertTiffProfile(std::string* pTiff, const std::vector<uint8_t>& icc) {
    std::string& s = *pTiff;
    if (s.size() < 8 || icc.empty() || s.size() > 0xFFFFFFFFu)
        return false;
    const bool bLittle = s.compare(0, 4, "II*\0", 4) == 0;
    if (!bLittle && s.compare(0, 4, "MM\0*", 4) != 0)
        return false;
    auto get = [&](size_t at, int nBytes) {
        uint32_t v = 0;
        for (int i = 0; i < nBytes; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(s[at + i])) << 8 * (bLittle ? i : nBytes - 1 - i);
        return v;
    };
    auto put = [bLittle](uint32_t v, int nBytes) {
        std::string out(static_cast<size_t>(nBytes), '\0');
        for (int i = 0; i < nBytes; ++i)
            out[static_cast<size_t>(i)] = static_cast<char>(v >> 8 * (bLittle ? i : nBytes - 1 - i));
        return out;
    };
    const size_t nDir = get(4, 4);
    if (nDir < 8 || nDir > s.size() - 2)
        return false;
    const size_t nEntries = get(nDir, 2);
    if (nEntries > (s.size() - nDir - 6) / 12)
        return false;
    const size_t nNext = get(nDir + 2 + 12 * nEntries, 4);
    const uint16_t kTag = 34675;
    // The profile, then the directory, each at an even offset as the format asks.
    std::string tail(s.size() & 1, '\0');
    const size_t nProfile = s.size() + tail.size();
    tail.append(reinterpret_cast<const char*>(icc.data()), icc.size());
    if (tail.size() & 1)
        tail += '\0';
    const size_t nNewDir = s.size() + tail.size();
    std::string entries;
    bool bPlaced = false;
    size_t nNew = 0;
    for (size_t i = 0; i < nEntries; ++i) {
        const size_t at = nDir + 2 + 12 * i;
        const uint32_t nTag = get(at, 2);
        if (nTag == kTag)
            continue;  // a profile there before is replaced
        if (nTag > kTag && !bPlaced) {
            entries += put(kTag, 2) + put(7, 2) + put(static_cast<uint32_t>(icc.size()), 4) +
                       put(static_cast<uint32_t>(nProfile), 4);
            bPlaced = true;
            ++nNew;
        }
        entries.append(s, at, 12);
        ++nNew;
    }
    if (!bPlaced) {
        entries += put(kTag, 2) + put(7, 2) + put(static_cast<uint32_t>(icc.size()), 4) +
                   put(static_cast<uint32_t>(nProfile), 4);
        ++nNew;
    }
    tail += put(static_cast<uint32_t>(nNew), 2) + entries + put(static_cast<uint32_t>(nNext), 4);
    if (tail.size() > 0xFFFFFFFFu - s.size())
        return false;
    s += tail;
    s.replace(4, 4, put(static_cast<uint32_t>(nNewDir), 4));
    return true;
}

bool AddProfileToFile(const char* pszPath, const wchar_t* pszMimeType, const std::vector<uint8_t>& icc) {
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool ok = false;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD n = 0;
        if (::ReadFile(hFile, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size()) {
            const bool bChanged = wcscmp(pszMimeType, L"image/jpeg") == 0   ? InsertJpegProfile(&bytes, icc)
                                  : wcscmp(pszMimeType, L"image/png") == 0  ? InsertPngProfile(&bytes, icc)
                                  : wcscmp(pszMimeType, L"image/tiff") == 0 ? InsertTiffProfile(&bytes, icc)
                                                                            : false;
            DWORD nWritten = 0;
            ok = bChanged && ::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN) == 0 &&
                 ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr) &&
                 nWritten == bytes.size() && ::SetEndOfFile(hFile);
        }
    }
    ok = ::CloseHandle(hFile) && ok;
    return ok;
}
