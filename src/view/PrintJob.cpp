#include "view/PrintJob.h"

namespace {
bool IsPrinter(HDC hDC) {
    return hDC && ::GetDeviceCaps(hDC, TECHNOLOGY) == DT_RASPRINTER;
}

double Ratio(HDC hPrinter, int nIndex) {
    HDC hScreen = ::GetDC(nullptr);
    int nScreen = hScreen ? ::GetDeviceCaps(hScreen, nIndex) : 0;
    if (hScreen)
        ::ReleaseDC(nullptr, hScreen);
    int nPrinter = ::GetDeviceCaps(hPrinter, nIndex);
    if (nScreen <= 0 || nPrinter <= 0)
        return 1.0;
    return static_cast<double>(nPrinter) / nScreen;
}
}  // namespace

int StartPrintJob(HDC hPrinter, const char* pszDocName) {
    DOCINFOA di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = pszDocName;
    int nJob = ::StartDocA(hPrinter, &di);
    // Printers and the PostScript driver want the drawing inside a page. A document whose page
    // did not start counts as not started: FinishPrintJob aborts it.
    if (nJob > 0 && ::StartPage(hPrinter) <= 0)
        return 0;
    return nJob > 0 ? nJob : 0;
}

void FinishPrintJob(HDC hPrinter, BOOL bStarted) {
    if (bStarted) {
        ::EndPage(hPrinter);
        ::EndDoc(hPrinter);
    } else {
        ::AbortDoc(hPrinter);
    }
}

double PrinterPixelsPerScreenPixelX(HDC hPrinter) {
    return Ratio(hPrinter, LOGPIXELSX);
}

double PrinterPixelsPerScreenPixelY(HDC hPrinter) {
    return Ratio(hPrinter, LOGPIXELSY);
}

void ClipPrinterToScreenArea(HDC hPrinter, int nWidth, int nHeight) {
    int w = static_cast<int>(nWidth * PrinterPixelsPerScreenPixelX(hPrinter) + 0.5);
    int h = static_cast<int>(nHeight * PrinterPixelsPerScreenPixelY(hPrinter) + 0.5);
    ::IntersectClipRect(hPrinter, 0, 0, w, h);
}

void MapScreenPixelsToPrinter(Gdiplus::Graphics& graphics, HDC hDC) {
    if (!IsPrinter(hDC))
        return;
    graphics.SetPageUnit(Gdiplus::UnitPixel);
    graphics.ScaleTransform(static_cast<Gdiplus::REAL>(PrinterPixelsPerScreenPixelX(hDC)),
                            static_cast<Gdiplus::REAL>(PrinterPixelsPerScreenPixelY(hDC)));
}

CString PrintFailureText(const char* pszPath) {
    CString s;
    s.Format("%s was not printed: the picture could not be read.", pszPath);
    return s;
}
