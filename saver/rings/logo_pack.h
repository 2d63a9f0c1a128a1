// The built-in logo's packed form (written by scripts/make-logo.py): the
// picture without loss in a quarter of a 24-bit bitmap's room. No windows.h:
// also built natively.
//   "ORBL", width and height (16 bits each, little-endian, 1 to 256),
//   3 x 256 code lengths (one Huffman code per channel R, G, B; 0 marks an
//   unused symbol; at most 24 bits), then the codes, most significant bit
//   first: for each pixel, rows from the top, R, G and B, the sample's
//   difference (modulo 256) from left + upper - upper-left, clamped to
//   0..255, of the same channel (neighbours outside the picture are 0).
#pragma once
#include <cstddef>
#include <cstdint>

#include "saver/rings/logo.h"

// Decodes a packed logo into image. False, with image left empty, for
// anything that is not a whole packed logo: a wrong mark, absurd sides, code
// lengths that form no code, a bit sequence that is no code, data that ends
// early.
bool UnpackLogo(const std::uint8_t* data, std::size_t size, LogoImage* image);
