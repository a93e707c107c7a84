// An ICC profile written into a JPEG (APP2 pieces) or PNG (an iCCP chunk) file's bytes, as
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

// The file rewritten with the profile, by its MIME type (image/jpeg or image/png); false when
// the file could not be read, changed or written.
bool AddProfileToFile(const char* pszPath, const wchar_t* pszMimeType, const std::vector<uint8_t>& icc);
