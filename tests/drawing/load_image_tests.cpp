// load_image on PNG files made for each test.

#include "image.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class LoadImage : public ::testing::Test {
protected:
    PictureFolder folder;
    // 2 x 2: red, green / blue, white.
    std::string quad = folder.make(
        "quad", "-size 2x2 xc:black -fill '#ff0000' -draw 'point 0,0' -fill '#00ff00' -draw 'point 1,0' "
                "-fill '#0000ff' -draw 'point 0,1' -fill '#ffffff' -draw 'point 1,1'");
};

int channel_distance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    }
    return worst;
}

}  // namespace

TEST_F(LoadImage, EmptyPictureTakesTheFileNaturalSizeAndColours) {
    IMAGE picture;
    EXPECT_EQ(load_image(&picture, quad.c_str()), LOAD_OK);
    ASSERT_EQ(picture.width, 2);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels[0], 0xFF0000u);
    EXPECT_EQ(picture.pixels[1], 0x00FF00u);
    EXPECT_EQ(picture.pixels[2], 0x0000FFu);
    EXPECT_EQ(picture.pixels[3], 0xFFFFFFu);
}

TEST_F(LoadImage, GivenSizeScalesTheFileIntoIt) {
    IMAGE picture;
    EXPECT_EQ(load_image(&picture, quad.c_str(), 8, 6), LOAD_OK);
    ASSERT_EQ(picture.width, 8);
    ASSERT_EQ(picture.height, 6);
    EXPECT_EQ(picture.pixels[0], 0xFF0000u);
    EXPECT_EQ(picture.pixels[7], 0x00FF00u);
    EXPECT_EQ(picture.pixels[5 * 8], 0x0000FFu);
    EXPECT_EQ(picture.pixels[5 * 8 + 7], 0xFFFFFFu);
}

TEST_F(LoadImage, OneGivenSideKeepsTheOtherNatural) {
    IMAGE picture;
    load_image(&picture, quad.c_str(), 6, 0);
    EXPECT_EQ(picture.width, 6);
    EXPECT_EQ(picture.height, 2);
}

TEST_F(LoadImage, TransparentPixelsEndBlackAndTranslucentOnesBlendOverBlack) {
    const std::string file = folder.make(
        "clear", "-size 3x1 xc:none -fill '#ffffffff' -draw 'point 0,0' -fill '#ffffff80' -draw 'point 1,0'");
    IMAGE picture;
    load_image(&picture, file.c_str());
    ASSERT_EQ(picture.width, 3);
    EXPECT_EQ(picture.pixels[0], 0xFFFFFFu);
    EXPECT_LE(channel_distance(picture.pixels[1], 0x808080), 2);
    EXPECT_EQ(picture.pixels[2], 0u);
}

TEST_F(LoadImage, MissingFileReturnsTwoAndLeavesThePictureAlone) {
    IMAGE picture(2, 1);
    picture.pixels[0] = 0x123456;
    picture.pixels[1] = 0x654321;
    EXPECT_EQ(load_image(&picture, folder.path("missing.png").c_str()), LOAD_CANNOT_OPEN);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.pixels[0], 0x123456u);
    EXPECT_EQ(picture.pixels[1], 0x654321u);
    IMAGE empty;
    EXPECT_EQ(load_image(&empty, folder.path("missing.png").c_str()), LOAD_CANNOT_OPEN);
    EXPECT_EQ(empty.pixels, nullptr);
}

TEST_F(LoadImage, DirectoryReturnsTwoAndLeavesThePictureAlone) {
    const std::string directory = folder.path("folder.png");
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    IMAGE picture(2, 1);
    picture.pixels[0] = 0x123456;
    picture.pixels[1] = 0x654321;
    EXPECT_EQ(load_image(&picture, directory.c_str()), LOAD_CANNOT_OPEN);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.pixels[0], 0x123456u);
    EXPECT_EQ(picture.pixels[1], 0x654321u);
}

TEST_F(LoadImage, SizedPictureKeepsItsSizeWithoutResizeAndIsBlackBeyondTheFile) {
    IMAGE picture(4, 3);
    std::fill_n(picture.pixels, 12, 0x777777u);
    EXPECT_EQ(load_image(&picture, quad.c_str()), LOAD_OK);
    ASSERT_EQ(picture.width, 4);
    ASSERT_EQ(picture.height, 3);
    EXPECT_EQ(picture.pixels[0], 0xFF0000u);
    EXPECT_EQ(picture.pixels[1 * 4 + 1], 0xFFFFFFu);
    EXPECT_EQ(picture.pixels[2], 0u);
    EXPECT_EQ(picture.pixels[2 * 4 + 3], 0u);
}

TEST_F(LoadImage, SizedPictureSmallerThanTheFileShowsItsTopLeftPart) {
    IMAGE picture(1, 1);
    load_image(&picture, quad.c_str(), 0, 0, false);
    ASSERT_EQ(picture.width, 1);
    EXPECT_EQ(picture.pixels[0], 0xFF0000u);
}

TEST_F(LoadImage, ResizeTrueGivesASizedPictureTheDrawnSize) {
    IMAGE picture(5, 5);
    load_image(&picture, quad.c_str(), 0, 0, true);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels[3], 0xFFFFFFu);
}

TEST_F(LoadImage, UndecodableFileGivesBlackOrStaysEmpty) {
    const std::string file = folder.path("text.png");
    std::ofstream(file) << "not a picture";
    IMAGE sized(2, 2);
    std::fill_n(sized.pixels, 4, 0x777777u);
    EXPECT_EQ(load_image(&sized, file.c_str()), LOAD_OK);
    EXPECT_EQ(sized.width, 2);
    EXPECT_EQ(sized.pixels[0], 0u);
    EXPECT_EQ(sized.pixels[3], 0u);
    IMAGE empty;
    EXPECT_EQ(load_image(&empty, file.c_str()), LOAD_OK);
    EXPECT_EQ(empty.pixels, nullptr);
}
