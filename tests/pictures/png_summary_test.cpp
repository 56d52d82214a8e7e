// The checker must itself catch the exports it exists for: alpha, a transparent colour,
// a damaged or cut file.
#include "png_summary.h"

#include <gtest/gtest.h>

namespace {

std::string header(std::uint32_t width, std::uint32_t height, int colour_type)
{
    std::string data;
    for (std::uint32_t value : {width, height})
        data += {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    data += {char(8), char(colour_type), 0, 0, 0};
    return png_chunk("IHDR", data);
}

std::string picture(int colour_type, const std::string& extra_chunks = "")
{
    return png_signature() + header(300, 70000, colour_type) + extra_chunks
        + png_chunk("IDAT", "pixels") + png_chunk("IEND", "");
}

}

TEST(PngSummary, ReadsSizeAndColourTypeOfASoundFile)
{
    PngSummary summary = summarise_png(picture(2));
    EXPECT_EQ(summary.fault, "");
    EXPECT_EQ(summary.width, 300u);
    EXPECT_EQ(summary.height, 70000u);
    EXPECT_EQ(summary.bit_depth, 8);
    EXPECT_EQ(summary.colour_type, 2);
    EXPECT_FALSE(summary.has_transparency_chunk);
    EXPECT_EQ(summary.image_data_chunks, 1);
}

TEST(PngSummary, ColourTypesWithAlphaAreTheGreyAndRgbOnesWithAlpha)
{
    EXPECT_TRUE(colour_type_has_alpha(6));
    EXPECT_TRUE(colour_type_has_alpha(4));
    EXPECT_FALSE(colour_type_has_alpha(2));
    EXPECT_FALSE(colour_type_has_alpha(3));
    EXPECT_FALSE(colour_type_has_alpha(0));
}

TEST(PngSummary, NoticesATransparentColourChunk)
{
    PngSummary summary = summarise_png(picture(2, png_chunk("tRNS", std::string(6, '\0'))));
    EXPECT_EQ(summary.fault, "");
    EXPECT_TRUE(summary.has_transparency_chunk);
}

TEST(PngSummary, RejectsAFileThatIsNotAPng)
{
    EXPECT_EQ(summarise_png("GIF89a").fault, "no PNG signature");
    EXPECT_EQ(summarise_png("").fault, "no PNG signature");
}

TEST(PngSummary, RejectsACutFile)
{
    std::string whole = picture(2);
    EXPECT_EQ(summarise_png(whole.substr(0, whole.size() - 5)).fault,
              "file ends inside a chunk, before IEND");
    std::string without_end = png_signature() + header(1, 1, 2) + png_chunk("IDAT", "x");
    EXPECT_EQ(summarise_png(without_end).fault, "file ends inside a chunk, before IEND");
}

TEST(PngSummary, RejectsADamagedChunk)
{
    std::string bytes = picture(2);
    std::size_t idat_data = bytes.find("IDAT") + 4;
    bytes[idat_data] ^= 0x20;
    EXPECT_EQ(summarise_png(bytes).fault, "bad CRC in chunk IDAT");
}

TEST(PngSummary, RejectsAFileWhoseFirstChunkIsNotTheHeader)
{
    std::string bytes = png_signature() + png_chunk("gAMA", std::string(4, '\0'))
        + header(1, 1, 2) + png_chunk("IDAT", "x") + png_chunk("IEND", "");
    EXPECT_EQ(summarise_png(bytes).fault, "IHDR is not the first chunk");
}

TEST(PngSummary, RejectsBytesAfterTheEnd)
{
    EXPECT_EQ(summarise_png(picture(2) + "junk").fault, "bytes after IEND");
}
