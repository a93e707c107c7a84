// The wallpaper commands: the picture shown, re-encoded into the capture file, made the
// desktop's wallpaper centred, stretched or tiled; or the wallpaper removed.
#include "view/NorvelView.h"

#include "view/Wallpaper.h"

namespace {
const char kNoComMessage[] = "Error - couldn't CoInitialize()";
const char kClassicFailedMessage[] = "Error Returned by SystemParametersInfo() in UpdateClassicDesktop";
const char kUnreadableMessage[] = "The picture could not be read: the wallpaper was not changed.";
const char kNotWrittenMessage[] = "%s could not be written: the wallpaper was not changed.";
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
    // Without a new export the file would still hold an older picture: the desktop and its
    // style stay as they are.
    if (!IsPictureShown()) {
        MessageBox(kClassicFailedMessage, nullptr, MB_OK);
        return;
    }
    ExportResult result = ExportShownPicture();
    if (result != kExportOk) {
        CString s;
        if (result == kExportNoSource)
            s = kUnreadableMessage;
        else
            s.Format(kNotWrittenMessage, CaptureFilePath());
        MessageBox(s, nullptr, MB_OK | MB_ICONSTOP);
        return;
    }
    WriteWallpaperStyle(cStyle, cTile);
    UpdateActiveDesktop(CaptureFilePath());
    UpdateClassicDesktop(CaptureFilePath());
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
