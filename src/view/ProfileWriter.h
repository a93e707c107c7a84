// An ICC profile written into a JPEG (APP2 pieces), PNG (an iCCP chunk) or TIFF (tag 34675) file's bytes, as
// Save As keeps the source's profile with its pixels.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Inserts the profile after the JPEG's start marker and its JFIF block; false for bytes that
// are no JPEG or a profile too long for 255 pieces.
bool InsertJpegProfile(std::string* pJpeg, const std::vector<uint8_t>& icc);

// Inserts an iCCP chunk after the PNG's header chunk, and drops an sRGB chunk (a file may have
// one or the other); false for bytes that are no PNG.
bool InsertPngProfile(std::string* pPng, const std::vector<uint8_t>& icc);

// Gives the TIFF's first directory the profile (tag 34675): the profile and a copy of the
// directory with the tag among its entries are put at the end, and the header points at the
// copy; every other value stays where it is. False for bytes that are no TIFF, a first
// directory outside them, or a file that would pass 4 GiB.
bool InsertTiffProfile(std::string* pTiff, const std::vector<uint8_t>& icc);

// The file rewritten with the profile, by its MIME type (image/jpeg, image/png or image/tiff); false when
// the file could not be read, changed or written.
bool AddProfileToFile(const char* pszPath, const wchar_t* pszMimeType, const std::vector<uint8_t>& icc);
