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
            const bool bChanged = wcscmp(pszMimeType, L"image/jpeg") == 0  ? InsertJpegProfile(&bytes, icc)
                                  : wcscmp(pszMimeType, L"image/png") == 0 ? InsertPngProfile(&bytes, icc)
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
