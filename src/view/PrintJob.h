// The platform side of printing: one document on a printer's device context, and the mapping
// that gives the view's screen-pixel numbers their physical size on paper. Free functions,
// usable without a window.
#pragma once

#include <windows.h>

#include "framework/AfxStr.h"
#include "framework/GdiPlus.h"

// Starts a document named pszDocName (no output file, data type or flags) and, when it started,
// its one page. Returns the platform's job identifier: positive when the document and its page
// started, 0 otherwise (a document started without its page is left for FinishPrintJob).
int StartPrintJob(HDC hPrinter, const char* pszDocName);
// Ends the page and the document that StartPrintJob started, or aborts (once) one that did not.
void FinishPrintJob(HDC hPrinter, BOOL bStarted);

// Printer pixels per screen pixel, across and down: the two devices' dots per inch, so that
// what measures one inch on the screen measures one inch on paper.
double PrinterPixelsPerScreenPixelX(HDC hPrinter);
double PrinterPixelsPerScreenPixelY(HDC hPrinter);

// Limits drawing on the printer to what a window of nWidth x nHeight screen pixels shows.
void ClipPrinterToScreenArea(HDC hPrinter, int nWidth, int nHeight);

// On a printer's device context, makes the graphics measure in screen pixels of their physical
// size (instead of the library's default hundredths of an inch); on a display it does nothing.
void MapScreenPixelsToPrinter(Gdiplus::Graphics& graphics, HDC hDC);

// The text a user sees when the picture pszPath could not be read for printing.
CString PrintFailureText(const char* pszPath);
