#pragma once
// Painted masks as the resource manager stores them: a DDS file of 512 x 512 D3DFMT_A8
// texels with the full chain of 10 levels, each level the box average of the one above.
#include <cstdint>
#include <vector>

// From a binary PGM ("P5", 8 bits) of 512 x 512 grey values: grey is the mask's alpha.
std::vector<uint8_t> MaskDdsFromPgm(const std::vector<uint8_t>& pgm);
// The grey values of a binary PGM ("P5", 8 bits), row by row, with its size.
std::vector<uint8_t> GreyFromPgm(const std::vector<uint8_t>& pgm, uint32_t& width, uint32_t& height);
// From 512 x 512 alpha values, row by row.
std::vector<uint8_t> MaskDdsFromAlpha(const std::vector<uint8_t>& alpha);
