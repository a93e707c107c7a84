// Small value types of the framework: string, point, size, rectangle and growable array.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// An 8-bit string in the active code page.
class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, nLength > 0 ? nLength : 0) {}
    CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    CString(const std::string& s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }

    char GetAt(int nIndex) const { return m_str.at(nIndex); }
    char operator[](int nIndex) const { return m_str.at(nIndex); }

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    int Find(char ch, int nStart = 0) const;
    int Find(const char* psz, int nStart = 0) const;
    int ReverseFind(char ch) const;

    // Case-sensitive comparison in the active multi-byte code page: <0, 0 or >0. Under UTF-8 the
    // order is that of the code points (the bytes' order), the same as before for ASCII.
    int Compare(const char* psz) const;
    // Without letter case, as the file system compares names. Under UTF-8 a name with non-ASCII
    // letters is compared in UTF-16 after upper-casing each character, code unit by code unit.
    int CompareNoCase(const char* psz) const;

    void Format(const char* pszFormat, ...);
    void FormatV(const char* pszFormat, va_list args);
    BOOL LoadString(UINT nID);
    void MakeUpper();
    void MakeLower();

    // Direct buffer access for APIs that write into a char buffer.
    char* GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    CString& operator=(const char* psz) {
        m_str = psz ? psz : "";
        return *this;
    }
    CString& operator+=(const char* psz) {
        m_str += psz ? psz : "";
        return *this;
    }
    CString& operator+=(char ch) {
        m_str += ch;
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_str + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }

private:
    std::string m_str;
};

class CSize : public SIZE {
public:
    CSize() { cx = cy = 0; }
    CSize(int x, int y) {
        cx = x;
        cy = y;
    }
    CSize(SIZE s) : SIZE(s) {}
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
};

class CPoint : public POINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int ix, int iy) {
        x = ix;
        y = iy;
    }
    CPoint(POINT p) : POINT(p) {}
    // From a mouse message's lParam (signed coordinates).
    explicit CPoint(LPARAM lParam) {
        x = static_cast<short>(LOWORD(lParam));
        y = static_cast<short>(HIWORD(lParam));
    }
    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    CPoint operator-(const POINT& p) const { return CPoint(x - p.x, y - p.y); }
    CPoint operator+(const POINT& p) const { return CPoint(x + p.x, y + p.y); }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    CRect(const RECT& rc) : RECT(rc) {}
    CRect(POINT topLeft, SIZE size) {
        left = topLeft.x;
        top = topLeft.y;
        right = left + size.cx;
        bottom = top + size.cy;
    }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const { return left >= right || top >= bottom; }
    bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
    void SetRect(int l, int t, int r, int b) { *this = CRect(l, t, r, b); }
    void SetRectEmpty() { *this = CRect(); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    void NormalizeRect();
    bool operator==(const RECT& rc) const { return ::EqualRect(this, &rc) != FALSE; }
    bool operator!=(const RECT& rc) const { return !(*this == rc); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// A growable array with the framework's interface over std::vector.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    int GetSize() const { return static_cast<int>(m_data.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_data.empty(); }
    void SetSize(int nNewSize) { m_data.resize(nNewSize > 0 ? nNewSize : 0); }
    void RemoveAll() { m_data.clear(); }
    int Add(ARG_TYPE newElement) {
        m_data.push_back(newElement);
        return GetSize() - 1;
    }
    void InsertAt(int nIndex, ARG_TYPE newElement) { m_data.insert(m_data.begin() + nIndex, newElement); }
    void RemoveAt(int nIndex, int nCount = 1) {
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }
    const TYPE& GetAt(int nIndex) const { return m_data.at(nIndex); }
    TYPE& ElementAt(int nIndex) { return m_data.at(nIndex); }
    void SetAt(int nIndex, ARG_TYPE newElement) { m_data.at(nIndex) = newElement; }
    const TYPE& operator[](int nIndex) const { return m_data.at(nIndex); }
    TYPE& operator[](int nIndex) { return m_data.at(nIndex); }
    TYPE* GetData() { return m_data.data(); }
    const TYPE* GetData() const { return m_data.data(); }

private:
    std::vector<TYPE> m_data;
};

typedef CArray<CString> CStringArray;

// Converts an 8-bit string in the active code page into buf (cch characters), after clearing
// it: at most cch - 1 characters, always terminated, never half of a surrogate pair. Returns buf.
wchar_t* AfxToWideBuffer(const char* psz, wchar_t* buf, int cch);

// Bytes an 8-bit buffer needs for a path of MAX_PATH characters in any active code page: UTF-8
// takes up to three bytes for one UTF-16 character (four for a surrogate pair, two characters).
const int AFX_MAX_PATH_BYTES = 3 * MAX_PATH;

// The length of psz in characters as the system counts them for its name and path limits
// (UTF-16 code units): bytes in a single-byte code page, fewer in UTF-8 or a double-byte one.
int AfxCharCount(const char* psz);
// The longest start of psz, in bytes, of at most nBytes that ends on a character boundary of
// the active code page.
int AfxCharBoundary(const char* psz, int nBytes);
// Copies psz into buf of cb bytes, cut on a character boundary when it is longer; always
// terminated. Returns buf.
char* AfxCopyText(char* buf, const char* psz, int cb);
// A new empty file of a unique name in pszFolder, named as GetTempFileName names its files, its
// path in *pPath in the active code page. Made through the UTF-16 calls, in the \\?\ form where
// needed, so a folder of any length takes one. False (with the system's error) when none can be made.
bool AfxMakeTempFile(const char* pszFolder, const char* pszPrefix, std::string* pPath);
// Whether the active code page is UTF-8 (a manifest asked for it and the system honoured it).
bool AfxIsUtf8CodePage();
