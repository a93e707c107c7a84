// The wallpaper commands: the picture shown, re-encoded into the capture file, made the
// desktop's wallpaper centred, stretched or tiled; or the wallpaper removed.
#include "view/NorvelView.h"

#include "view/Wallpaper.h"

namespace {
const char kNoComMessage[] = "Error - couldn't CoInitialize()";
const char kClassicFailedMessage[] = "Error Returned by SystemParametersInfo() in UpdateClassicDesktop";
}  // namespace

void CNorvelView::OnWallpaperCenter() {
    SetWallpaperWithStyle('0', '0');
}

void CNorvelView::OnWallpaperStretch() {
    SetWallpaperWithStyle('2', '0');
}

void CNorvelView::OnWallpaperTile() {
    SetWallpaperWithStyle('0', '1');
}

void CNorvelView::OnWallpaperNone() {
    UpdateActiveDesktop("");
    UpdateClassicDesktop("");
}

void CNorvelView::SetWallpaperWithStyle(char cStyle, char cTile) {
    // The file would still hold an older picture: the desktop and its style stay as they are.
    if (!ExportToTempBitmap()) {
        MessageBox(kClassicFailedMessage, nullptr, MB_OK);
        return;
    }
    WriteWallpaperStyle(cStyle, cTile);
    UpdateActiveDesktop(kCaptureFile);
    UpdateClassicDesktop(kCaptureFile);
}

void CNorvelView::UpdateActiveDesktop(const char* pszPath) {
    if (SetActiveDesktopWallpaper(pszPath) == kActiveDesktopNoCom)
        MessageBox(kNoComMessage, nullptr, MB_OK);
}

void CNorvelView::UpdateClassicDesktop(const char* pszPath) {
    if (!SetClassicWallpaper(pszPath)) {
        MessageBox(kClassicFailedMessage, nullptr, MB_OK);
        return;
    }
    // The desktop repaints its new background under every window; the frame draws itself again.
    if (CWnd* pFrame = GetParentFrame())
        ::RedrawWindow(pFrame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
