#include "picture/Picture.h"

#include "framework/AfxFile.h"

#include "picture/PictureSize.h"
#include "picture/OwnDecoders.h"
#include "picture/ScaledJpeg.h"
#include "picture/ShownRight.h"
#include "picture/SystemCodecs.h"

#include <string.h>

namespace {
const ULONGLONG kFnvOffset = 14695981039346656037ull;
const ULONGLONG kFnvPrime = 1099511628211ull;

ULONGLONG Fnv(ULONGLONG h, const BYTE* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= kFnvPrime;
    }
    return h;
}

// A file's bytes opened for one read, shared with every other program, closed by the destructor.
class CSharedFile {
public:
    explicit CSharedFile(const char* pszPath)
        : m_h(::CreateFileW(AfxSystemPath(pszPath).c_str(),
                            GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr)) {}
    ~CSharedFile() {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    CSharedFile(const CSharedFile&) = delete;
    CSharedFile& operator=(const CSharedFile&) = delete;
    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    // Size, times, volume and index of the open file (the probe left 0).
    bool Identity(FileIdentity* pId) const {
        BY_HANDLE_FILE_INFORMATION info;
        if (!::GetFileInformationByHandle(m_h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        pId->nSize = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        pId->ftLastWrite = info.ftLastWriteTime;
        pId->ftCreation = info.ftCreationTime;
        pId->dwVolume = info.dwVolumeSerialNumber;
        pId->nIndex = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        pId->nProbe = 0;
        return true;
    }
    // Exactly n bytes from nOffset.
    bool ReadAt(ULONGLONG nOffset, void* p, size_t n) const {
        LARGE_INTEGER pos;
        pos.QuadPart = static_cast<LONGLONG>(nOffset);
        if (!::SetFilePointerEx(m_h, pos, nullptr, FILE_BEGIN))
            return false;
        BYTE* pAt = static_cast<BYTE*>(p);
        while (n > 0) {
            const DWORD nAsk = n > (1u << 24) ? (1u << 24) : static_cast<DWORD>(n);
            DWORD nRead = 0;
            if (!::ReadFile(m_h, pAt, nAsk, &nRead, nullptr) || nRead == 0)
                return false;
            pAt += nRead;
            n -= nRead;
        }
        return true;
    }

private:
    HANDLE m_h;
};

// Movable global memory, as a stream on it wants, locked while this lives.
class CGlobalBytes {
public:
    CGlobalBytes() = default;
    ~CGlobalBytes() {
        if (m_p)
            ::GlobalUnlock(m_mem.get());
    }
    CGlobalBytes(const CGlobalBytes&) = delete;
    CGlobalBytes& operator=(const CGlobalBytes&) = delete;
    bool Allocate(size_t n) {
        m_mem.reset(::GlobalAlloc(GMEM_MOVEABLE, n));
        m_p = m_mem ? static_cast<BYTE*>(::GlobalLock(m_mem.get())) : nullptr;
        m_n = n;
        return m_p != nullptr;
    }
    BYTE* Data() const { return m_p; }
    size_t Size() const { return m_n; }
    // A stream over the bytes, exactly as long as they are; the memory must outlive it.
    CComPtr<IStream> MakeStream() {
        CComPtr<IStream> stream;
        if (FAILED(::CreateStreamOnHGlobal(m_mem.get(), FALSE, stream.Put())))
            return CComPtr<IStream>();
        // The allocator may have rounded the block up: its leftover bytes are no part of the file.
        ULARGE_INTEGER size;
        size.QuadPart = m_n;
        if (FAILED(stream->SetSize(size)))
            return CComPtr<IStream>();
        return stream;
    }
    // The memory, unlocked, for whoever keeps a stream on it.
    CGlobalMemory Take() {
        if (m_p)
            ::GlobalUnlock(m_mem.get());
        m_p = nullptr;
        m_n = 0;
        return std::move(m_mem);
    }

private:
    CGlobalMemory m_mem;
    BYTE* m_p = nullptr;
    size_t m_n = 0;
};

// The whole file read into *pBytes, with the identity of what was read. A file written while it
// was read is read again, a few times at most.
bool ReadWholeFile(const char* pszPath, ULONGLONG nMaxBytes, CGlobalBytes* pBytes, FileIdentity* pId) {
    CSharedFile file(pszPath);
    if (!file.IsOpen())
        return false;
    for (int nTry = 0; nTry < 3; ++nTry) {
        FileIdentity before, after;
        if (!file.Identity(&before) || before.nSize == 0 || before.nSize > nMaxBytes)
            return false;
        if (nTry == 0 && !pBytes->Allocate(static_cast<size_t>(before.nSize)))
            return false;
        if (pBytes->Size() != before.nSize)
            return false;  // a length changed between tries: not worth chasing
        if (!file.ReadAt(0, pBytes->Data(), pBytes->Size()) || !file.Identity(&after))
            return false;
        after.nProbe = before.nProbe = ProbeOfBytes(pBytes->Data(), pBytes->Size());
        *pId = after;
        if (SameIdentity(before, after))
            return true;
    }
    return true;
}

// Frame count and delays of a picture GDI+ decoded (one frame of delay 0 for a still picture).
std::vector<UINT> GdiplusDelays(Gdiplus::Image* pImage) {
    std::vector<UINT> delays(1, 0);
    const UINT nDimensions = pImage->GetFrameDimensionsCount();
    if (nDimensions == 0)
        return delays;
    std::vector<GUID> dimensions(nDimensions);
    if (pImage->GetFrameDimensionsList(dimensions.data(), nDimensions) != Gdiplus::Ok)
        return delays;
    const UINT nFrames = pImage->GetFrameCount(&dimensions[0]);
    if (nFrames <= 1)
        return delays;
    delays.assign(nFrames, 0);
    const UINT nBytes = pImage->GetPropertyItemSize(PropertyTagFrameDelay);
    if (nBytes < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<BYTE> buffer(nBytes);
    Gdiplus::PropertyItem* pItem = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (pImage->GetPropertyItem(PropertyTagFrameDelay, nBytes, pItem) != Gdiplus::Ok || !pItem->value)
        return delays;
    // Hundredths of a second, one 32-bit value per frame.
    const size_t nValues = pItem->length / 4;
    for (size_t i = 0; i < nFrames && i < nValues; ++i) {
        UINT v = 0;
        memcpy(&v, static_cast<const BYTE*>(pItem->value) + 4 * i, 4);
        delays[i] = v * 10;
    }
    return delays;
}

// A raster picture from GDI+, as a bitmap object; a metafile as an image. Both read from stream.
std::unique_ptr<Gdiplus::Image> GdiplusDecode(IStream* pStream, std::unique_ptr<Gdiplus::Bitmap>* ppBitmap) {
    std::unique_ptr<Gdiplus::Bitmap> pBitmap(new Gdiplus::Bitmap(pStream));
    if (pBitmap->GetLastStatus() == Gdiplus::Ok && pBitmap->GetWidth() > 0 && pBitmap->GetHeight() > 0) {
        *ppBitmap = std::move(pBitmap);
        return nullptr;
    }
    pBitmap.reset();
    LARGE_INTEGER zero = {};
    if (FAILED(pStream->Seek(zero, STREAM_SEEK_SET, nullptr)))
        return nullptr;
    std::unique_ptr<Gdiplus::Image> pImage(new Gdiplus::Image(pStream));
    if (pImage->GetLastStatus() != Gdiplus::Ok || pImage->GetWidth() == 0 || pImage->GetHeight() == 0 ||
        pImage->GetType() != Gdiplus::ImageTypeMetafile)
        return nullptr;
    return pImage;
}

// GDI+'s wrapper keeps its handle to itself. An explicit instantiation may name a private
// member (the language checks no access there); the friend it defines hands the member out.
typedef Gdiplus::GpImage* Gdiplus::Image::*NativeImageMember;
NativeImageMember NativeMember();
template <NativeImageMember M>
struct CNativeImageAccess {
    friend NativeImageMember NativeMember() { return M; }
};
template struct CNativeImageAccess<&Gdiplus::Image::nativeImage>;
}  // namespace

bool OpaquePalette(Gdiplus::Image* pImage) {
    const INT nBytes = pImage->GetPaletteSize();
    if (nBytes < static_cast<INT>(sizeof(Gdiplus::ColorPalette)))
        return false;
    std::vector<BYTE> buffer(nBytes);
    Gdiplus::ColorPalette* pPalette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    if (pImage->GetPalette(pPalette, nBytes) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < pPalette->Count; ++i) {
        if ((pPalette->Entries[i] >> 24) != 0xFF)
            return false;
    }
    return true;
}

ULONGLONG ProbeOfBytes(const void* pData, size_t nBytes) {
    const BYTE* p = static_cast<const BYTE*>(pData);
    const size_t nHead = nBytes < kIdentityProbeBytes ? nBytes : kIdentityProbeBytes;
    const size_t nTail = nBytes < kIdentityProbeBytes ? nBytes : kIdentityProbeBytes;
    return Fnv(Fnv(kFnvOffset, p, nHead), p + nBytes - nTail, nTail);
}

bool QueryFileIdentity(const char* pszPath, FileIdentity* pId) {
    CSharedFile file(pszPath);
    if (!file.IsOpen() || !file.Identity(pId))
        return false;
    const size_t n = static_cast<size_t>(pId->nSize < kIdentityProbeBytes ? pId->nSize : kIdentityProbeBytes);
    BYTE head[kIdentityProbeBytes], tail[kIdentityProbeBytes];
    if (!file.ReadAt(0, head, n) || !file.ReadAt(pId->nSize - n, tail, n))
        return false;
    pId->nProbe = Fnv(Fnv(kFnvOffset, head, n), tail, n);
    return true;
}

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.nSize == b.nSize && ::CompareFileTime(&a.ftLastWrite, &b.ftLastWrite) == 0 &&
           ::CompareFileTime(&a.ftCreation, &b.ftCreation) == 0 && a.dwVolume == b.dwVolume && a.nIndex == b.nIndex &&
           a.nProbe == b.nProbe;
}

bool KeptPictureFormat(bool bRaster, UINT nBitsPerPixel) {
    // Metafiles are kept (vector, on their bytes). Pictures of 1, 2 or 4 bits per pixel are not
    // kept as they are: this platform's GDI+ draws parts of them wrongly and copies them with
    // pixels changed.
    return !bRaster || nBitsPerPixel >= 8;
}

bool CPicture::WidenForKeeping(ULONGLONG nMaxBytes) {
    if (Keepable())
        return true;
    if (!IsRaster() || m_pOwn || m_delays.size() > 1 || static_cast<ULONGLONG>(Width()) * Height() * 4 > nMaxBytes)
        return false;
    Gdiplus::Bitmap* pSource = static_cast<Gdiplus::Bitmap*>(m_pImage.get());
    const INT w = static_cast<INT>(Width()), h = static_cast<INT>(Height());
    // The palette's colours as they are, opaque or not: GDI+ reads them out the same way to draw.
    const Gdiplus::PixelFormat format = OpaquePalette(pSource) ? PixelFormat32bppRGB : PixelFormat32bppPARGB;
    std::unique_ptr<Gdiplus::Bitmap> pWide(new Gdiplus::Bitmap(w, h, format));
    if (pWide->GetLastStatus() != Gdiplus::Ok)
        return false;
    Gdiplus::Rect rc(0, 0, w, h);
    Gdiplus::BitmapData from, to;
    if (pSource->LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &from) != Gdiplus::Ok)
        return false;
    bool bCopied = false;
    if (pWide->LockBits(&rc, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &to) == Gdiplus::Ok) {
        for (INT y = 0; y < h; ++y)
            memcpy(static_cast<BYTE*>(to.Scan0) + static_cast<INT_PTR>(y) * to.Stride,
                   static_cast<const BYTE*>(from.Scan0) + static_cast<INT_PTR>(y) * from.Stride,
                   static_cast<size_t>(w) * 4);
        bCopied = pWide->UnlockBits(&to) == Gdiplus::Ok;
    }
    pSource->UnlockBits(&from);
    if (!bCopied)
        return false;
    // Copied with the resolution it was drawn at, should anything measure it.
    pWide->SetResolution(pSource->GetHorizontalResolution(), pSource->GetVerticalResolution());
    m_pImage = std::move(pWide);  // before the bytes the old one may have read
    m_stream.Release();
    m_bytes.reset();
    return Keepable();
}

CPicture::CPicture(CPicture&& other) noexcept {
    *this = std::move(other);
}

CPicture& CPicture::operator=(CPicture&& other) noexcept {
    if (this != &other) {
        Reset();
        m_status = other.m_status;
        m_bytes = std::move(other.m_bytes);
        m_stream = std::move(other.m_stream);
        m_pImage = std::move(other.m_pImage);
        m_pOwn = std::move(other.m_pOwn);
        m_delays = std::move(other.m_delays);
        m_nOrientation = other.m_nOrientation;
        m_icc = std::move(other.m_icc);
        m_strFormat = std::move(other.m_strFormat);
        m_bLossless = other.m_bLossless;
        m_id = other.m_id;
        m_nWidth = other.m_nWidth;
        m_nHeight = other.m_nHeight;
        m_rcPart = other.m_rcPart;
        m_bCeilingReduced = other.m_bCeilingReduced;
        m_bReducible = other.m_bReducible;
        other.Reset();
    }
    return *this;
}

CPicture::~CPicture() {
    Reset();
}

void CPicture::Reset() {
    m_pImage.reset();  // before the bytes it may read
    m_stream.Release();
    m_bytes.reset();
    m_pOwn.reset();
    m_delays.clear();
    m_nOrientation = 1;
    m_icc.clear();
    m_strFormat.clear();
    m_status = PictureStatus::Missing;
    m_bLossless = true;
    m_id = FileIdentity();
    m_nWidth = m_nHeight = 0;
    m_rcPart = RECT();
    m_bCeilingReduced = false;
    m_bReducible = false;
}

UINT CPicture::BitsPerPixel() const {
    if (!IsRaster())
        return 0;
    return (static_cast<UINT>(m_pImage->GetPixelFormat()) >> 8) & 0xFF;
}

ULONGLONG CPicture::DecodedBytes() const {
    if (!IsRaster())
        return 0;
    return static_cast<ULONGLONG>(DecodedWidth()) * DecodedHeight() * ((BitsPerPixel() + 7) / 8);
}

std::unique_ptr<Gdiplus::Image> CPicture::TakeImage(CPictureBytes* pBytes) {
    pBytes->memory = std::move(m_bytes);
    pBytes->stream = std::move(m_stream);
    std::unique_ptr<Gdiplus::Image> pImage = std::move(m_pImage);
    Reset();
    return pImage;
}

Gdiplus::GpImage* ReleaseNativeImage(std::unique_ptr<Gdiplus::Image> pImage) {
    if (!pImage)
        return nullptr;
    Gdiplus::GpImage* pNative = pImage.get()->*NativeMember();
    // The wrapper then disposes of nothing.
    pImage.get()->*NativeMember() = nullptr;
    return pNative;
}

CPicture OpenPicture(const char* pszPath, const PictureOptions& options) {
    CPicture picture;
    CGlobalBytes bytes;
    FileIdentity id;
    if (!pszPath || !*pszPath || !ReadWholeFile(pszPath, options.nMaxFileBytes, &bytes, &id))
        return picture;
    picture.m_id = id;
    const BYTE* pData = bytes.Data();
    const size_t nBytes = bytes.Size();

    // A decoder allocates the whole picture before it looks at the pixels, and this platform's
    // can take the process down with it: a picture announced too large is never handed on. A
    // JPEG within a ceiling is decoded at a scale that fits instead, unless its file is far too
    // short for the picture it announces.
    UINT cx = 0, cy = 0;
    JpegInfo jpeg;
    const bool bJpeg = ReadJpegInfo(pData, nBytes, &jpeg);
    const bool bScalable = bJpeg && options.nCeiling > 0 && !JpegIsBomb(jpeg, nBytes);
    if (ReadPictureSize(pData, nBytes, &cx, &cy) && PixelsPass2GiB(cx, cy) && !bScalable) {
        picture.m_status = PictureStatus::TooLarge;
        return picture;
    }

    std::unique_ptr<Gdiplus::Bitmap> pBitmap;
    std::unique_ptr<CDecodedImage> pOwn(new CDecodedImage);
    OwnDecode own = OwnDecode::NotOurs;
    const CShowingInfo read = ReadShowingInfo(pData, nBytes);
    if (bJpeg) {
        const ScaledJpeg decoded = DecodeJpegAsAsked(pData, nBytes, jpeg, read.nOrientation, options, pOwn.get(),
                                                     &picture.m_rcPart, &picture.m_bCeilingReduced);
        if (decoded == ScaledJpeg::Unreadable) {
            picture.m_status = PictureStatus::Unreadable;
            return picture;
        }
        if (decoded == ScaledJpeg::TooLarge || (decoded == ScaledJpeg::Refused && PixelsPass2GiB(cx, cy))) {
            picture.m_status = PictureStatus::TooLarge;
            return picture;
        }
        if (decoded == ScaledJpeg::Decoded) {
            own = OwnDecode::Decoded;
            // Named and judged as GDI+'s JPEGs were: lossy, no format line of its own. A CMYK
            // picture comes in the display's colours already.
            pOwn->strFormat.clear();
            pOwn->bLossless = false;
            if (jpeg.bCmyk)
                pOwn->icc.clear();
        } else {
            pOwn.reset(new CDecodedImage);
            picture.m_rcPart = RECT();
            picture.m_bCeilingReduced = false;
        }
    } else {
        own = DecodeOwnFormat(pData, nBytes, pOwn.get());
    }
    if (own == OwnDecode::Unreadable) {
        picture.m_status = PictureStatus::Unreadable;
        return picture;
    }
    bool bOwnFrames = own == OwnDecode::Decoded;
    CComPtr<IStream> stream;
    if (!bOwnFrames) {
        pOwn.reset(new CDecodedImage);
        stream = bytes.MakeStream();
        if (stream) {
            std::unique_ptr<Gdiplus::Image> pMetafile = GdiplusDecode(stream.Get(), &pBitmap);
            if (pMetafile) {
                // Vector: drawn from its bytes at any scale, nothing more to make right.
                picture.m_delays.assign(1, 0);
                picture.m_bytes = bytes.Take();
                picture.m_stream = std::move(stream);
                picture.m_nWidth = pMetafile->GetWidth();
                picture.m_nHeight = pMetafile->GetHeight();
                SetRect(&picture.m_rcPart, 0, 0, static_cast<int>(picture.m_nWidth),
                        static_cast<int>(picture.m_nHeight));
                picture.m_pImage = std::move(pMetafile);
                picture.m_status = PictureStatus::Decoded;
                return picture;
            }
        }
        if (pBitmap) {
            picture.m_delays = GdiplusDelays(pBitmap.get());
            GUID format = {};
            pBitmap->GetRawFormat(&format);
            picture.m_bLossless = !IsEqualGUID(format, Gdiplus::ImageFormatJPEG);
        } else {
            // The last resort, only when GDI+ gives nothing.
            stream.Release();
            bOwnFrames = DecodeWithSystemCodecs(pData, nBytes, pOwn.get());
        }
    }
    CShowingInfo info;
    if (bOwnFrames) {
        pBitmap = MakeBitmap(*pOwn);
        if (!pBitmap) {
            picture.m_status = PictureStatus::Unreadable;
            return picture;
        }
        for (const CDecodedFrame& frame : pOwn->frames)
            picture.m_delays.push_back(frame.nDelayMs);
        info.nOrientation = pOwn->nOrientation;
        info.icc = pOwn->icc;
        picture.m_strFormat = pOwn->strFormat;
        picture.m_bLossless = pOwn->bLossless;
        // A still picture's pixels are the bitmap's now; an animation keeps its frames.
        if (pOwn->frames.size() > 1)
            picture.m_pOwn = std::move(pOwn);
    } else if (!pBitmap) {
        picture.m_status = PictureStatus::Unreadable;
        return picture;
    }
    if (read.nOrientation != 1)
        info.nOrientation = read.nOrientation;
    if (!read.icc.empty() && !(bJpeg && own == OwnDecode::Decoded && jpeg.bCmyk))
        info.icc = read.icc;
    picture.m_nOrientation = info.nOrientation;
    picture.m_icc = info.icc;
    if (options.bShownRight) {
        Gdiplus::Bitmap* pBefore = pBitmap.get();
        MakeShownRight(&pBitmap, info);
        if (!pBitmap) {
            picture.m_status = PictureStatus::Unreadable;
            return picture;
        }
        if (pBitmap.get() != pBefore)
            stream.Release();  // the new bitmap holds its own pixels
    }
    if (stream)
        picture.m_bytes = bytes.Take();
    picture.m_stream = std::move(stream);
    if (bJpeg && own == OwnDecode::Decoded) {
        const bool bTurned = options.bShownRight && read.nOrientation >= 5 && read.nOrientation <= 8;
        picture.m_nWidth = bTurned ? jpeg.nHeight : jpeg.nWidth;
        picture.m_nHeight = bTurned ? jpeg.nWidth : jpeg.nHeight;
        picture.m_bReducible = true;
    } else {
        picture.m_nWidth = pBitmap->GetWidth();
        picture.m_nHeight = pBitmap->GetHeight();
        picture.m_rcPart = RECT();
    }
    if (IsRectEmpty(&picture.m_rcPart))
        SetRect(&picture.m_rcPart, 0, 0, static_cast<int>(picture.m_nWidth), static_cast<int>(picture.m_nHeight));
    picture.m_pImage = std::move(pBitmap);
    picture.m_status = PictureStatus::Decoded;
    return picture;
}
