// Writing pictures through the imaging library's encoders: the encoder of a MIME type, the
// encoder a file name's extension selects, a conversion written whole or not at all, and a
// bitmap file handed to the clipboard. Free functions, usable without a window.
#pragma once

#include <windows.h>

#include "framework/Afx.h"

// The class identifier of the encoder whose MIME type equals pszMimeType character for
// character. False (and *pClsid untouched) when the library lists no such encoder.
bool FindEncoderByMimeType(const wchar_t* pszMimeType, CLSID* pClsid);

// The extension of a path: what follows the last dot of its file name, without the dot;
// empty when the file name has no dot.
CString PathExtension(const char* pszPath);
// The path with the trailing dots and spaces of its file name dropped, as the system stores
// the name ("dot2.jpg." is stored as "dot2.jpg"). A name of nothing else is kept as it is.
CString StoredName(const char* pszPath);

// The MIME type whose encoder writes files with this extension. The comparison ignores case;
// "jpg", "jpe" and "jpeg" select JPEG, "tif" and "tiff" TIFF, "ico" the icon type (for which
// the usual encoder set has nothing), "webp" WebP (written by our own encoder); any other
// extension selects PNG.
const wchar_t* MimeTypeForExtension(const char* pszExtension);

enum ExportResult {
    kExportOk,           // the target holds the converted picture
    kExportNoEncoder,    // no encoder for the format: nothing was written
    kExportNoSource,     // the source could not be decoded: nothing was written
    kExportWriteFailed,  // the encoder or the file system failed: the target is as it was
    kExportDiskFull,     // the disk had no room for the whole file: the target is as it was
    kExportReadOnly      // the target is a read-only file: it is as it was
};

// Opens pszSource (OpenPicture) and writes it with the encoder of pszMimeType to pszTarget. The
// picture is encoded into a new file in the target's folder, and that file replaces the target
// only when the encoder succeeded (the source file is never held, so the target may be the
// source itself). Metafiles, and pictures with transparency for a format without it (BMP, JPEG),
// are rendered on white at their own pixel size first; pictures of more than 8 bits per pixel,
// or with a palette that lets the background through, are reduced to an 8-bit palette for GIF,
// with one transparent entry for the fully transparent pixels.
// "image/webp" writes WebP (ExportWebp).
ExportResult ExportPicture(const char* pszSource, const char* pszTarget, const wchar_t* pszMimeType);

// Writes pszSource as a still WebP file, the same way: lossless when the source's coding is
// (everything but JPEG and lossy WebP), otherwise lossy at quality 90; alpha kept; metafiles
// rendered on white. kExportWriteFailed for a picture wider or taller than WebP allows.
ExportResult ExportWebp(const char* pszSource, const char* pszTarget);

// The text a user sees when a save of pszTarget ended with the result (empty for kExportOk).
CString ExportFailureText(ExportResult result, const char* pszTarget);

enum ClipboardCopyResult {
    kClipboardCopied,    // the clipboard holds the picture and nothing else
    kClipboardNoBitmap,  // the file could not be loaded, or no memory for the bitmap: the clipboard is as it was
    kClipboardBusy       // the clipboard could not be opened or refused the data: it is as it was
};
// Loads a bitmap file at its own size and puts it on the clipboard, owned by hOwner: as a
// device-dependent bitmap (CF_BITMAP) when one can be made of it (and bDeviceBitmap is set),
// otherwise as a device-independent one (CF_DIB), which the system converts for programs that
// ask for the other. The clipboard then owns what it was given.
ClipboardCopyResult CopyBitmapFileToClipboard(const char* pszPath, HWND hOwner, bool bDeviceBitmap = true);

// Empties the clipboard, opened by hOwner; false when it is held elsewhere.
bool EmptyClipboardOf(HWND hOwner);
