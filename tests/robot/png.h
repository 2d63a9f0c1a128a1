// A small PNG writer (deflate with the fixed codes) for screenshots.
// No windows.h: also built natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes width x height RGB pixels (3 bytes each, rows top to bottom) as a
// PNG file image.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
