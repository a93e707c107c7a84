// A PostScript printer of the platform's own driver, added to the test prefix without any
// dialog and made the default printer. Its port hands every job to a shell command that keeps
// the PostScript and has Ghostscript render it to pixels at the printer's resolution.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// The printer's resolution (dots per inch) and the printable area's offset on the rendered page,
// in dots (18 points from the left and the top of the paper).
const int kTestPrinterDpi = 300;
const int kTestPrinterOffset = 75;

// Adds the printer (and its driver) if the prefix does not have it, and makes it the default.
// False, with the reason, when that failed.
bool EnsureTestPrinter(std::string* pError);
// Removes the last job's files, so that the next job's are known to be new.
void ClearTestPrinterOutput();
// Windows paths of the last job's PostScript and of its rendering (a binary PPM).
std::string TestPrinterPostScriptPath();
std::string TestPrinterPixelsPath();

// A page rendered by Ghostscript, read from a binary PPM file.
class PrintedPage {
public:
    bool Load(const std::string& path);
    int width() const { return m_width; }
    int height() const { return m_height; }
    COLORREF at(int x, int y) const;  // white outside the page

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<unsigned char> m_rgb;
};
