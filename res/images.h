// The pictures among the resources, drawn by code into the platform's device
// independent bitmap layouts: the tool bar strip and the program icon.
#pragma once

#include <cstdint>
#include <vector>

// Bitmap resource: header, 16-colour palette and 4-bit pixels, bottom-up; four
// 16 x 16 images (play, stop, plus, minus) on light grey.
std::vector<uint8_t> BuildToolBarBitmap();

// One image of the icon group: header with doubled height, palette, 4-bit
// colour pixels and the 1-bit transparency mask.
std::vector<uint8_t> BuildIconImage(int size);

// The icon group directory naming the images with ids firstImageId and
// firstImageId + 1 (32 x 32, then 16 x 16).
std::vector<uint8_t> BuildIconGroup(uint16_t firstImageId, uint32_t bytes32, uint32_t bytes16);
