#pragma once
// What a PNG file's chunks say about it, read without decoding its pixels: enough to tell
// a picture's size and whether it can carry any transparency.

#include <cstdint>
#include <string>

struct PngSummary {
    std::string fault;  // empty when the chunk structure is sound
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int colour_type = 0;
    bool has_transparency_chunk = false;
    int image_data_chunks = 0;
};

// PNG colour types 4 (grey with alpha) and 6 (RGB with alpha).
bool colour_type_has_alpha(int colour_type);

PngSummary summarise_png(const std::string& bytes);

// One chunk with its length and CRC, as a PNG file holds it.
std::string png_chunk(const std::string& type, const std::string& data);

std::string png_signature();
