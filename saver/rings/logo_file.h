// LoadLogo's sources: a user's bitmap file (untrusted: decoded by our own
// reader at the size the logo keeps) or the built-in logo, the packed
// picture in the RCDATA resource "DEFTEXTURE" (saver/rings/logo_pack.h).
#pragma once
#include <windows.h>

#include "saver/rings/logo.h"

constexpr const char* kBuiltInLogo = "DEFTEXTURE";

// Reads a bitmap file of any size into an image at the scale the logo keeps
// (LogoImage, FitLogo), row by row: its memory is bounded by the logo's
// size, not the file's. False for anything that is not a bitmap file on disk
// (a directory, a device, a truncated file, a header that lies about its
// data, a compression the logo does not draw).
bool LoadLogoFile(const char* path, LogoImage* image);
// Reads a packed logo resource (RCDATA) of a module.
bool LoadLogoResource(HINSTANCE module, const char* name, LogoImage* image);

// The logo texture for the FileName setting: the file, or the built-in logo
// when the name is empty or "*def", or when the file does not load.
LogoTexture LoadLogoTexture(HINSTANCE module, const char* fileName);
