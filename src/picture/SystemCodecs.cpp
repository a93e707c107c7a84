#include "picture/SystemCodecs.h"

#include "framework/AfxFile.h"

#include <initguid.h>  // the imaging component's class and interface ids, defined in this file

#include <objbase.h>
#include <wincodec.h>

#include <string.h>

#include <mutex>

#include "picture/PictureSize.h"

namespace {
// Releases a COM interface when it goes.
template <typename T>
class CComRef {
public:
    CComRef() : m_p(nullptr) {}
    ~CComRef() {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p;
};

// COM on the calling thread for as long as it lives (any thread may decode: the view's, or the
// one that decodes ahead). A thread already in COM keeps its own apartment.
class CComScope {
public:
    CComScope() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope() {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    HRESULT m_hr;
};

// The imaging factory, created at run time: no link to the system's codec library, and where
// the component is not installed the call simply fails.
bool CreateFactory(IWICImagingFactory** ppFactory) {
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(ppFactory)));
}

std::string ToAnsi(const wchar_t* psz) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, psz, -1, &s[0], n, nullptr, nullptr);
    s.resize(static_cast<size_t>(n - 1));
    return s;
}

std::string DecoderName(IWICBitmapDecoder* pDecoder) {
    CComRef<IWICBitmapDecoderInfo> info;
    if (FAILED(pDecoder->GetDecoderInfo(&info)) || !info)
        return std::string();
    UINT n = 0;
    if (FAILED(info->GetFriendlyName(0, nullptr, &n)) || n == 0 || n > 1024)
        return std::string();
    std::vector<wchar_t> name(n + 1, L'\0');
    if (FAILED(info->GetFriendlyName(n, name.data(), &n)))
        return std::string();
    return ToAnsi(name.data());
}

bool Decode(IWICImagingFactory* pFactory, const void* pData, size_t nBytes, CDecodedImage* pOut) {
    CComRef<IWICStream> stream;
    if (FAILED(pFactory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(pData)), static_cast<DWORD>(nBytes))))
        return false;
    CComRef<IWICBitmapDecoder> decoder;
    if (FAILED(pFactory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
        return false;
    CComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return false;
    UINT cx = 0, cy = 0;
    if (FAILED(frame->GetSize(&cx, &cy)) || cx == 0 || cy == 0 || PixelsPass2GiB(cx, cy))
        return false;
    CComRef<IWICFormatConverter> converter;
    if (FAILED(pFactory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    const size_t nStride = static_cast<size_t>(cx) * 4;
    CDecodedFrame decoded;
    try {
        decoded.pixels.resize(nStride * cy);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(nStride), static_cast<UINT>(decoded.pixels.size()),
                                     decoded.pixels.data())))
        return false;
    bool bAlpha = false;
    for (size_t i = 3; i < decoded.pixels.size() && !bAlpha; i += 4)
        bAlpha = decoded.pixels[i] != 0xFF;
    CDecodedImage image;
    image.nWidth = cx;
    image.nHeight = cy;
    image.bHasAlpha = bAlpha;
    image.strFormat = DecoderName(decoder.get());
    image.frames.push_back(std::move(decoded));
    *pOut = std::move(image);
    return true;
}

// Lower case, ASCII only (extensions are).
std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::vector<std::string> AskExtensions() {
    std::vector<std::string> list;
    CComScope com;
    CComRef<IWICImagingFactory> factory;
    if (!CreateFactory(&factory))
        return list;
    CComRef<IEnumUnknown> components;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &components)))
        return list;
    // Bounded: a broken enumerator cannot keep us here.
    for (int nComponents = 0; nComponents < 256; ++nComponents) {
        CComRef<IUnknown> unknown;
        ULONG nGot = 0;
        if (components->Next(1, &unknown, &nGot) != S_OK || nGot != 1)
            break;
        CComRef<IWICBitmapDecoderInfo> info;
        if (FAILED(unknown->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void**>(&info))))
            continue;
        UINT n = 0;
        if (FAILED(info->GetFileExtensions(0, nullptr, &n)) || n == 0 || n > 4096)
            continue;
        std::vector<wchar_t> text(n + 1, L'\0');
        if (FAILED(info->GetFileExtensions(n, text.data(), &n)))
            continue;
        // ".bmp,.dib,.rle" or ".jxr;.hdp;.wdp" (some codecs put spaces after the separators).
        std::string all = ToAnsi(text.data());
        size_t nStart = 0;
        while (nStart <= all.size()) {
            size_t nEnd = all.find_first_of(",;", nStart);
            if (nEnd == std::string::npos)
                nEnd = all.size();
            std::string ext = all.substr(nStart, nEnd - nStart);
            const size_t a = ext.find_first_not_of(" \t"), b = ext.find_last_not_of(" \t");
            ext = a == std::string::npos ? std::string() : Lower(ext.substr(a, b - a + 1));
            // A plain extension: a dot and a few letters or digits, nothing a pattern would widen.
            bool bPlain = ext.size() >= 2 && ext.size() <= 16 && ext[0] == '.';
            for (size_t i = 1; bPlain && i < ext.size(); ++i)
                bPlain = (ext[i] >= 'a' && ext[i] <= 'z') || (ext[i] >= '0' && ext[i] <= '9');
            bool bListed = false;
            for (const std::string& s : list)
                bListed = bListed || s == ext;
            if (bPlain && !bListed && !IsExtensionReadElsewhere(ext))
                list.push_back(ext);
            nStart = nEnd + 1;
        }
    }
    return list;
}
}  // namespace

bool DecodeWithSystemCodecs(const void* pData, size_t nBytes, CDecodedImage* pOut) {
    if (!pData || nBytes == 0 || nBytes > 0x7FFFFFFF)
        return false;
    CComScope com;
    CComRef<IWICImagingFactory> factory;
    if (!CreateFactory(&factory))
        return false;
    return Decode(factory.get(), pData, nBytes, pOut);
}

bool DecodeFileWithSystemCodecs(const char* pszPath, unsigned long long nMaxBytes, CDecodedImage* pOut) {
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> bytes;
    LARGE_INTEGER size;
    bool bRead = false;
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= nMaxBytes && size.QuadPart < 0x7FFFFFFF) {
        try {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD nRead = 0;
            bRead = ::ReadFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, nullptr) &&
                    nRead == bytes.size();
        } catch (const std::bad_alloc&) {
            bRead = false;
        }
    }
    ::CloseHandle(hFile);
    return bRead && DecodeWithSystemCodecs(bytes.data(), bytes.size(), pOut);
}

const std::vector<std::string>& SystemCodecExtensions() {
    static std::once_flag s_once;
    static std::vector<std::string> s_list;
    std::call_once(s_once, [] { s_list = AskExtensions(); });
    return s_list;
}

bool IsExtensionReadElsewhere(const std::string& strExt) {
    static const char* const kElsewhere[] = {
        ".bmp", ".dib",  ".rle", ".jpg", ".jpeg", ".jpe", ".jfif", ".exif", ".gif",   ".ico",
        ".tif", ".tiff", ".png", ".emf", ".wmf",  ".cur", ".webp", ".avif", ".avifs",
    };
    const std::string ext = Lower(strExt);
    for (const char* p : kElsewhere) {
        if (ext == p)
            return true;
    }
    return false;
}

std::vector<std::string> ExtraPicturePatterns() {
    std::vector<std::string> patterns = {"*.webp", "*.avif", "*.avifs"};
    for (const std::string& ext : SystemCodecExtensions())
        patterns.push_back("*" + ext);
    return patterns;
}
