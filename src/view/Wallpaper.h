// The platform side of the wallpaper commands: the desktop's style values and the two ways of
// making a bitmap file the wallpaper (or removing it). Free functions, usable without a window.
#pragma once

#include <windows.h>

// Writes "WallpaperStyle" and then "TileWallpaper" under HKEY_CURRENT_USER\Control Panel\Desktop,
// each a REG_SZ of 4 bytes: the digit followed by three zero bytes. False when the key could not
// be opened or a value could not be written.
bool WriteWallpaperStyle(char cStyle, char cTile);

enum ActiveDesktopResult {
    kActiveDesktopNoCom,        // COM could not be initialised for the thread
    kActiveDesktopUnavailable,  // the shell's Active Desktop object could not be created
    kActiveDesktopRefused,      // the object refused the wallpaper or the applying
    kActiveDesktopApplied
};
// Sets the wallpaper (an empty path removes it) through the shell's Active Desktop interface,
// with COM initialised and uninitialised around the call. The path goes through a zero-filled
// buffer of 256 UTF-16 characters, one per 8-bit character; a longer path is cut there.
ActiveDesktopResult SetActiveDesktopWallpaper(const char* pszPath);

// Sets the wallpaper (an empty path removes it) through the classic system parameter, stored
// in the user's profile and told to all top-level windows. FALSE when the platform refuses, or when a path is given
// whose file does not exist (which some platforms accept silently).
BOOL SetClassicWallpaper(const char* pszPath);
