#include "view/Animation.h"

#include "framework/AfxFile.h"

#include <string.h>

#include "framework/Afx.h"
#include "picture/PictureSize.h"
#include "picture/OwnDecoders.h"

namespace {
const int kWideChars = 1024;
const UINT kShortestDelayMs = 20;
const UINT kShortDelayPlayedMs = 100;
const size_t kMaxFrames = 100000;
const DWORD kHeadBytes = 64 * 1024;  // enough for a GIF's colour table and extensions before its first image

// The leading bytes say WebP ("RIFF" size "WEBP") or an ISO media file of AVIF ("ftyp" with an
// AVIF brand): the files our own decoders may find moving.
bool MayBeOwnAnimation(const BYTE* p, size_t n) {
    if (n >= 12 && memcmp(p, "RIFF", 4) == 0 && memcmp(p + 8, "WEBP", 4) == 0)
        return true;
    return n >= 12 && memcmp(p + 4, "ftyp", 4) == 0 && (memcmp(p + 8, "avis", 4) == 0 || memcmp(p + 8, "avif", 4) == 0);
}

// The whole file, or nothing for a file that is gone, empty or larger than nMax.
bool ReadWhole(const char* pszPath, ULONGLONG nMax, std::vector<BYTE>* pBytes) {
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool bOk = false;
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 && static_cast<ULONGLONG>(size.QuadPart) <= nMax &&
        size.QuadPart < 0x7FFFFFFF) {
        try {
            pBytes->resize(static_cast<size_t>(size.QuadPart));
            DWORD nRead = 0;
            bOk = ::ReadFile(hFile, pBytes->data(), static_cast<DWORD>(pBytes->size()), &nRead, nullptr) &&
                  nRead == pBytes->size();
        } catch (const std::bad_alloc&) {
            bOk = false;
        }
    }
    ::CloseHandle(hFile);
    return bOk;
}

// The first bytes of a file, to tell its format.
size_t ReadHead(const char* pszPath, BYTE* p, DWORD n) {
    HANDLE hFile =
        ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    DWORD nRead = 0;
    if (!::ReadFile(hFile, p, n, &nRead, nullptr))
        nRead = 0;
    ::CloseHandle(hFile);
    return nRead;
}

// The plays of a GIF (0: for ever) by the loop count of its application extension (NETSCAPE2.0
// or ANIMEXTS1.0) before its first image, which repeats the first play that often (0: for ever);
// 1 when the file has none; -1 when the leading bytes p end first. (GDI+ reports a loop count of
// 1 for a file without one, which a file's loop count of 1 cannot be told from.)
int GifPlays(const BYTE* p, size_t n) {
    if (n < 13)
        return -1;
    size_t i = 13;
    if (p[10] & 0x80)
        i += 3u << ((p[10] & 7) + 1);  // the global colour table
    while (i < n) {
        if (p[i] != 0x21)
            return 1;  // the first image (or the end): no loop count before it, one play
        if (i + 2 >= n)
            return -1;
        const BYTE label = p[i + 1];
        size_t j = i + 2;
        bool bApp = false;
        int nBlock = 0;
        while (j < n && p[j] != 0) {
            const size_t len = p[j];
            if (j + 1 + len > n)
                return -1;
            const BYTE* b = p + j + 1;
            if (label == 0xFF && nBlock == 0)
                bApp = len == 11 && (memcmp(b, "NETSCAPE2.0", 11) == 0 || memcmp(b, "ANIMEXTS1.0", 11) == 0);
            else if (bApp && len >= 3 && b[0] == 1)
                return (b[1] | (b[2] << 8)) == 0 ? 0 : (b[1] | (b[2] << 8)) + 1;
            ++nBlock;
            j += 1 + len;
        }
        if (j >= n)
            return -1;
        i = j + 1;
    }
    return -1;
}

// A GDI+ property of the image as bytes; empty when it has none.
std::vector<BYTE> Property(Gdiplus::Image* pImage, PROPID id, WORD* pType, ULONG* pLength) {
    std::vector<BYTE> buffer;
    const UINT nSize = pImage->GetPropertyItemSize(id);
    if (nSize < sizeof(Gdiplus::PropertyItem))
        return buffer;
    std::vector<BYTE> item(nSize);
    Gdiplus::PropertyItem* p = reinterpret_cast<Gdiplus::PropertyItem*>(item.data());
    if (pImage->GetPropertyItem(id, nSize, p) != Gdiplus::Ok || !p->value ||
        p->length > nSize - sizeof(Gdiplus::PropertyItem))
        return buffer;
    *pType = p->type;
    *pLength = p->length;
    buffer.assign(static_cast<BYTE*>(p->value), static_cast<BYTE*>(p->value) + p->length);
    return buffer;
}
}  // namespace

CAnimation::CAnimation() : m_nFrames(0), m_nFrame(0), m_nPlays(0), m_nPlayed(0), m_bEnded(false) {}

CAnimation::~CAnimation() = default;

UINT CAnimation::PlayedDelay(UINT nFileDelayMs) {
    return nFileDelayMs < kShortestDelayMs ? kShortDelayPlayedMs : nFileDelayMs;
}

void CAnimation::Clear() {
    m_pMade.reset();
    m_kept.clear();
    m_pFile.reset();
    m_decoded = CDecodedImage();
    m_delays.clear();
    m_nFrames = m_nFrame = 0;
    m_nPlays = m_nPlayed = 0;
    m_bEnded = false;
}

UINT CAnimation::DelayShown() const {
    return PlayedDelay(m_nFrame < m_delays.size() ? m_delays[m_nFrame] : 0);
}

bool CAnimation::Load(CDecodedImage image) {
    Clear();
    if (image.frames.size() < 2 || image.nWidth == 0 || image.nHeight == 0)
        return false;
    m_nFrames = image.frames.size();
    for (const CDecodedFrame& f : image.frames)
        m_delays.push_back(f.nDelayMs);
    m_nPlays = image.nLoopCount < 0 ? 0 : image.nLoopCount;
    m_decoded = std::move(image);
    if (!ShowFrame(0)) {
        Clear();
        return false;
    }
    return true;
}

bool CAnimation::Load(const char* pszPath, ULONGLONG nCeiling) {
    Clear();
    std::vector<BYTE> head(kHeadBytes);
    const size_t nHead = ReadHead(pszPath, head.data(), kHeadBytes);
    if (MayBeOwnAnimation(head.data(), nHead)) {
        std::vector<BYTE> bytes;
        CDecodedImage image;
        if (!ReadWhole(pszPath, nCeiling, &bytes) ||
            DecodeOwnFormat(bytes.data(), bytes.size(), &image) != OwnDecode::Decoded)
            return false;
        return Load(std::move(image));
    }
    // Only GIF moves among GDI+'s formats (a TIFF's pages are no frames in time).
    if (nHead < 6 || memcmp(head.data(), "GIF8", 4) != 0 || PictureTooLarge(pszPath))
        return false;
    std::vector<wchar_t> wide(kWideChars);
    std::unique_ptr<Gdiplus::Image> pImage(new Gdiplus::Image(AfxToWideBuffer(pszPath, wide.data(), kWideChars)));
    if (pImage->GetLastStatus() != Gdiplus::Ok || pImage->GetWidth() == 0 || pImage->GetHeight() == 0)
        return false;
    GUID dimension = Gdiplus::FrameDimensionTime;
    const UINT nFrames = pImage->GetFrameCount(&dimension);
    if (nFrames < 2 || nFrames > kMaxFrames)
        return false;
    // Delays in hundredths of a second, one 32-bit value per frame.
    WORD nType = 0;
    ULONG nLength = 0;
    std::vector<BYTE> delays = Property(pImage.get(), PropertyTagFrameDelay, &nType, &nLength);
    for (UINT i = 0; i < nFrames; ++i) {
        LONG n = 0;
        if (nType == PropertyTagTypeLong && (i + 1) * sizeof(LONG) <= delays.size())
            memcpy(&n, delays.data() + i * sizeof(LONG), sizeof n);
        m_delays.push_back(n > 0 && n < 0x7FFFFFFF / 10 ? static_cast<UINT>(n) * 10 : 0);
    }
    // Read from the file; GDI+'s loop count only where the leading bytes end before the first
    // image.
    m_nPlays = GifPlays(head.data(), nHead);
    if (m_nPlays < 0) {
        std::vector<BYTE> loop = Property(pImage.get(), PropertyTagLoopCount, &nType, &nLength);
        USHORT n = 0;
        if (loop.size() >= 2 && nType == PropertyTagTypeShort)
            memcpy(&n, loop.data(), sizeof n);
        m_nPlays = n == 0 ? 0 : n + 1;
    }
    m_nFrames = nFrames;
    const UINT w = pImage->GetWidth(), h = pImage->GetHeight();
    if (static_cast<ULONGLONG>(w) * h * 4 * nFrames <= nCeiling) {
        // Each frame as GDI+ composed it, copied once; the file is closed.
        for (UINT i = 0; i < nFrames; ++i) {
            std::unique_ptr<Gdiplus::Bitmap> pFrame;
            if (pImage->SelectActiveFrame(&dimension, i) == Gdiplus::Ok)
                pFrame.reset(static_cast<Gdiplus::Bitmap*>(pImage.get())
                                 ->Clone(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB));
            if (!pFrame || pFrame->GetLastStatus() != Gdiplus::Ok) {
                Clear();
                return false;
            }
            m_kept.push_back(std::move(pFrame));
        }
    } else {
        // Too long to keep: GDI+'s image of the file stays and composes the frame that is due.
        m_pFile = std::move(pImage);
    }
    if (!ShowFrame(0)) {
        Clear();
        return false;
    }
    return true;
}

bool CAnimation::ShowFrame(size_t nFrame) {
    m_nFrame = nFrame;
    if (!m_decoded.frames.empty()) {
        m_pMade = MakeBitmap(m_decoded, nFrame);
        return m_pMade != nullptr;
    }
    if (m_pFile) {
        GUID dimension = Gdiplus::FrameDimensionTime;
        return m_pFile->SelectActiveFrame(&dimension, static_cast<UINT>(nFrame)) == Gdiplus::Ok;
    }
    return nFrame < m_kept.size();
}

bool CAnimation::Advance() {
    if (!IsRunning())
        return false;
    size_t nNext = m_nFrame + 1;
    if (nNext >= m_nFrames) {
        ++m_nPlayed;
        if (m_nPlays > 0 && m_nPlayed >= m_nPlays) {
            m_bEnded = true;
            return false;
        }
        nNext = 0;
    }
    if (!ShowFrame(nNext)) {
        m_bEnded = true;
        return false;
    }
    return true;
}

Gdiplus::Image* CAnimation::Shown() {
    if (!Holds())
        return nullptr;
    if (!m_decoded.frames.empty())
        return m_pMade.get();
    if (m_pFile)
        return m_pFile.get();
    return m_nFrame < m_kept.size() ? m_kept[m_nFrame].get() : nullptr;
}
