// One way into every picture file: its bytes read into memory at once (the file shared with
// every other program and closed before anything is decoded), the size it announces checked,
// then decoded by the first decoder that reads it, and handed back as one move-only picture
// with the file's identity.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/AfxCom.h"
#include "framework/AfxHandles.h"
#include "framework/GdiPlus.h"
#include "picture/DecodedImage.h"

// What tells one state of a file from another without decoding it: size, times, the volume and
// the file's index on it (a replacement under the same name), and a probe of its first and last
// bytes (a rewrite of the same length with its times set back).
struct FileIdentity {
    ULONGLONG nSize = 0;
    FILETIME ftLastWrite = {};
    FILETIME ftCreation = {};
    DWORD dwVolume = 0;
    ULONGLONG nIndex = 0;
    ULONGLONG nProbe = 0;
};

// The bytes the probe covers at each end of a file.
const DWORD kIdentityProbeBytes = 4096;

// The identity of pszPath, the file opened shared for reading, writing and deletion and closed
// within the call. False when the file is gone, a folder or cannot be read.
bool QueryFileIdentity(const char* pszPath, FileIdentity* pId);
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);
// The probe of a whole file's bytes held in memory, as QueryFileIdentity reads it from the file.
ULONGLONG ProbeOfBytes(const void* pData, size_t nBytes);

// The picture can be kept between uses (not decoded again for every paint) as it was decoded:
// a metafile, or a raster picture of at least 8 bits per pixel. A still picture of fewer bits is
// kept once widened to 32 bits (CPicture::WidenForKeeping); an animated one is decoded for every
// use.
bool KeptPictureFormat(bool bRaster, UINT nBitsPerPixel);
// Every entry of an indexed picture's palette is opaque (false for a picture without one).
bool OpaquePalette(Gdiplus::Image* pImage);

// The drawn size of a picture of W x H pixels (true, upright), as the caller will first draw it.
typedef SIZE (*DrawnSizeFn)(UINT nWidth, UINT nHeight, const void* pContext);

struct PictureOptions {
    // Files longer than this are not read (and are unreadable).
    ULONGLONG nMaxFileBytes = 0x7FFF0000ull;
    // Raster pictures are turned upright and converted to the display's colours as shown.
    bool bShownRight = true;
    // The size the whole picture will be drawn at: a decoder that reduces as it decodes (JPEG)
    // gives no more pixels than that draw shows. 0 x 0: every pixel (or as pfnDrawnSize says).
    UINT nDrawWidth = 0;
    UINT nDrawHeight = 0;
    // Asked for the drawn size once the picture's true size is known, when nDrawWidth is 0.
    DrawnSizeFn pfnDrawnSize = nullptr;
    const void* pDrawnSizeContext = nullptr;
    // The decoded pixels, at 4 bytes each, stay within this many bytes: a JPEG whose decode
    // would pass it is decoded at the largest reduced scale that fits. 0: no ceiling (and, as for
    // every other format, a picture whose pixels would pass 2 GiB is refused).
    ULONGLONG nCeiling = 0;
    // Only this part of the picture (in its true, upright pixels), when not empty: a JPEG gives
    // that part alone, at the scale of the drawn size; other formats give the whole picture.
    RECT rcPart = {0, 0, 0, 0};
};

enum class PictureStatus {
    Decoded,
    Missing,     // no such file, a folder, or it could not be read
    TooLarge,    // announced too large to decode: no decoder saw it
    Unreadable,  // no decoder reads it
};

// A copy of a file's bytes and a stream on it, which an image may read from while it lives. The
// stream goes before the memory.
struct CPictureBytes {
    CGlobalMemory memory;
    CComPtr<IStream> stream;
};

// A decoded picture. Raster pictures are GDI+ bitmaps holding their own pixels; a metafile
// stays vector on its copy of the file's bytes. Nothing holds the file.
class CPicture {
public:
    CPicture() = default;
    CPicture(CPicture&& other) noexcept;
    CPicture& operator=(CPicture&& other) noexcept;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;
    ~CPicture();

    PictureStatus Status() const { return m_status; }
    explicit operator bool() const { return m_pImage != nullptr; }
    // The picture to draw (its first frame active); nullptr unless decoded.
    Gdiplus::Image* Image() const { return m_pImage.get(); }
    bool IsRaster() const { return m_pImage && m_pImage->GetType() == Gdiplus::ImageTypeBitmap; }
    // The true size: the file's picture, upright, whatever part and scale were decoded (0 x 0
    // unless decoded). Sizes, zoom ratios and placements all mean this size.
    UINT Width() const { return m_pImage ? m_nWidth : 0; }
    UINT Height() const { return m_pImage ? m_nHeight : 0; }
    // The decoded pixels: Image()'s size, which may be a reduction of Part().
    UINT DecodedWidth() const { return m_pImage ? m_pImage->GetWidth() : 0; }
    UINT DecodedHeight() const { return m_pImage ? m_pImage->GetHeight() : 0; }
    // The part of the true picture the decoded pixels show: all of it unless a part was asked.
    const RECT& Part() const { return m_rcPart; }
    bool IsWhole() const {
        return m_rcPart.left == 0 && m_rcPart.top == 0 && m_rcPart.right == static_cast<LONG>(m_nWidth) &&
               m_rcPart.bottom == static_cast<LONG>(m_nHeight);
    }
    // Fewer pixels were decoded than the part holds.
    bool IsReduced() const {
        return DecodedWidth() < static_cast<UINT>(m_rcPart.right - m_rcPart.left) ||
               DecodedHeight() < static_cast<UINT>(m_rcPart.bottom - m_rcPart.top);
    }
    // The scale the drawn size asked for did not fit within the ceiling: a larger one was used.
    bool ReducedByCeiling() const { return m_bCeilingReduced; }
    // Its decoder gives the pixels for a drawn size (a JPEG of our own decoder's).
    bool Reducible() const { return m_bReducible; }
    // Bits per pixel of the decoded raster picture (0 for a metafile).
    UINT BitsPerPixel() const;
    // Width x height x whole bytes per pixel (0 for a metafile).
    ULONGLONG DecodedBytes() const;
    // Kept between uses by the rule above.
    bool Keepable() const { return KeptPictureFormat(IsRaster(), BitsPerPixel()); }
    // One delay per frame, in milliseconds as the file gives them (0 for a still picture).
    const std::vector<UINT>& Delays() const { return m_delays; }
    size_t FrameCount() const { return m_delays.size(); }
    // The frames our own decoders gave, the first among them being Image()'s pixels; empty for
    // pictures GDI+ decoded (whose frames Image() selects).
    const CDecodedImage* OwnFrames() const { return m_pOwn.get(); }
    // As the file gives them: orientation still to apply (1 when the picture is shown as stored
    // or was turned already) and the embedded colour profile.
    int Orientation() const { return m_nOrientation; }
    const std::vector<uint8_t>& ColourProfile() const { return m_icc; }
    const std::string& FormatName() const { return m_strFormat; }
    // The file's coding keeps every pixel: as our own decoders say; of GDI+'s formats, all but JPEG.
    bool Lossless() const { return m_bLossless; }
    const FileIdentity& Identity() const { return m_id; }

    // A still raster picture of fewer than 8 bits per pixel becomes a 32-bit bitmap of the same
    // colours holding its own pixels (with alpha only when its palette lets the background
    // through), so that it can be kept; the file's bytes are let go. True when the picture is of
    // a kept format afterwards; false, with the picture unchanged, when it cannot be or would
    // take more than nMaxBytes.
    bool WidenForKeeping(ULONGLONG nMaxBytes);

    // Gives the image up, with the bytes it may read from, which the caller keeps alive at least
    // as long: the picture is empty afterwards.
    std::unique_ptr<Gdiplus::Image> TakeImage(CPictureBytes* pBytes);

private:
    friend CPicture OpenPicture(const char* pszPath, const PictureOptions& options);
    void Reset();

    PictureStatus m_status = PictureStatus::Missing;
    // Declared before the image, which may read from them: the image goes first, then the
    // stream, then the memory.
    CGlobalMemory m_bytes;
    CComPtr<IStream> m_stream;
    std::unique_ptr<Gdiplus::Image> m_pImage;
    std::unique_ptr<CDecodedImage> m_pOwn;
    std::vector<UINT> m_delays;
    int m_nOrientation = 1;
    std::vector<uint8_t> m_icc;
    std::string m_strFormat;
    bool m_bLossless = true;
    FileIdentity m_id;
    UINT m_nWidth = 0;
    UINT m_nHeight = 0;
    RECT m_rcPart = {0, 0, 0, 0};
    bool m_bCeilingReduced = false;
    bool m_bReducible = false;
};

// Where the part rcUpright of an upright picture of nWidth x nHeight lies in the picture as
// stored, before EXIF orientation nOrientation (1-8) turns it upright.
RECT StoredPart(const RECT& rcUpright, UINT nWidth, UINT nHeight, int nOrientation);

// Reads and decodes the picture of pszPath. GDI+ must be running.
CPicture OpenPicture(const char* pszPath, const PictureOptions& options = PictureOptions());

// GDI+'s own handle of an image, for the flat functions; the caller disposes of it
// (GdipDisposeImage). nullptr for no image.
Gdiplus::GpImage* ReleaseNativeImage(std::unique_ptr<Gdiplus::Image> pImage);
