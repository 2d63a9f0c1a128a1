// LoadLogo's sources: a user's bitmap file (untrusted: checked before the
// platform loads it) or the built-in logo, the packed picture in the RCDATA
// resource "DEFTEXTURE" (saver/rings/logo_pack.h).
#pragma once
#include <windows.h>

#include "saver/rings/logo.h"

constexpr const char* kBuiltInLogo = "DEFTEXTURE";

// Largest bitmap a logo file may be, in pixels; larger files fall back.
constexpr long long kMaxLogoPixels = 4096LL * 4096;

// Reads a bitmap file into an image. False for anything that is not a
// plausible bitmap file on disk (a directory, a device, a truncated file, a
// header that lies about its data, absurd dimensions) or that the platform
// does not load.
bool LoadLogoFile(const char* path, LogoImage* image);
// Reads a packed logo resource (RCDATA) of a module.
bool LoadLogoResource(HINSTANCE module, const char* name, LogoImage* image);

// The logo texture for the FileName setting: the file, or the built-in logo
// when the name is empty or "*def", or when the file does not load.
LogoTexture LoadLogoTexture(HINSTANCE module, const char* fileName);
