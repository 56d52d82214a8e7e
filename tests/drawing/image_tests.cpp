// IMAGE on its own: sizes, content, copies and the library's user count.

#include "graph_wnd.h"
#include "image.h"
#include "library.h"
#include "window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint32_t> pixels_of(const IMAGE& image) {
    return std::vector<std::uint32_t>(image.pixels, image.pixels + image.width * image.height);
}

void paint(IMAGE& image, std::uint32_t first) {
    for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = first + static_cast<std::uint32_t>(i);
}

}  // namespace

TEST(Image, EmptyPictureHasNoPixelsAndTheDefaultColours) {
    IMAGE image;
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.line_color, 0xFFFFFFu);
    EXPECT_EQ(image.fill_color, 0xFFFFFFu);
    EXPECT_EQ(image.text_color, 0xFFFFFFu);
    EXPECT_EQ(image.background_color, 0u);
}

TEST(Image, SizedPictureStartsBlack) {
    IMAGE image(3, 2);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(pixels_of(image), std::vector<std::uint32_t>(6, 0));
}

TEST(Image, PictureWithAZeroSideIsEmpty) {
    IMAGE image(5, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width * image.height, 0);
}

TEST(Image, ResizeKeepsTheTopLeftAndFillsTheRestWithTheBackgroundColour) {
    IMAGE image(2, 2);
    paint(image, 1);  // 1 2 / 3 4
    image.background_color = 0x0000FF;  // red as a colour value
    image.resize(3, 3);
    EXPECT_EQ(pixels_of(image),
              (std::vector<std::uint32_t>{1, 2, 0xFF0000, 3, 4, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
    image.resize(1, 2);
    EXPECT_EQ(pixels_of(image), (std::vector<std::uint32_t>{1, 3}));
}

TEST(Image, ResizeToAZeroSideChangesNothing) {
    IMAGE image(2, 1);
    paint(image, 7);
    image.resize(0, 5);
    image.resize(-3, 5);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(pixels_of(image), (std::vector<std::uint32_t>{7, 8}));
}

TEST(Image, ResetDrawingStateRestoresTheDefaults) {
    IMAGE image;
    image.line_color = image.fill_color = image.text_color = image.background_color = 0x123456;
    image.reset_drawing_state();
    EXPECT_EQ(image.line_color, 0xFFFFFFu);
    EXPECT_EQ(image.background_color, 0u);
}

TEST(Image, CopyHasItsOwnPixelsAndTheDefaultDrawingState) {
    IMAGE source(4, 3);
    paint(source, 100);
    source.line_color = 0x123456;
    {
        IMAGE copy(source);
        EXPECT_EQ(copy.width, 4);
        EXPECT_EQ(copy.height, 3);
        EXPECT_NE(copy.pixels, source.pixels);
        EXPECT_EQ(pixels_of(copy), pixels_of(source));
        EXPECT_EQ(copy.line_color, 0xFFFFFFu);
        copy.pixels[0] = 0xABCDEF;
    }
    EXPECT_EQ(source.pixels[0], 100u);
    EXPECT_EQ(source.pixels[11], 111u);
}

TEST(Image, AssignmentTakesSizeAndPixelsButKeepsItsOwnColours) {
    IMAGE source(2, 2);
    paint(source, 5);
    IMAGE target(7, 1);
    target.fill_color = 0x010203;
    target = source;
    EXPECT_EQ(target.width, 2);
    EXPECT_EQ(target.height, 2);
    EXPECT_EQ(pixels_of(target), pixels_of(source));
    EXPECT_EQ(target.fill_color, 0x010203u);
    target.pixels[0] = 0;
    EXPECT_EQ(source.pixels[0], 5u);
}

TEST(Image, AssigningAnEmptyPictureLeavesAnEmptyPicture) {
    IMAGE target(3, 3);
    paint(target, 1);
    target = IMAGE();
    EXPECT_EQ(target.width, 0);
    EXPECT_EQ(target.height, 0);
    EXPECT_EQ(target.pixels, nullptr);
}

TEST(Image, SelfAssignmentKeepsThePixels) {
    IMAGE image(2, 1);
    paint(image, 9);
    IMAGE& same = image;
    image = same;
    EXPECT_EQ(pixels_of(image), (std::vector<std::uint32_t>{9, 10}));
}

TEST(Library, StartsWithTheFirstPictureAndStopsWithTheLast) {
    ASSERT_EQ(library_user_count, 0);
    ASSERT_EQ(window_object(), nullptr);
    {
        IMAGE first;
        EXPECT_EQ(library_user_count, 2);  // the picture and the window object
        GraphWnd* window = window_object();
        ASSERT_NE(window, nullptr);
        {
            IMAGE second(1, 1);
            EXPECT_EQ(library_user_count, 3);
        }
        EXPECT_EQ(window_object(), window);
    }
    EXPECT_EQ(library_user_count, 0);
    EXPECT_EQ(window_object(), nullptr);
    IMAGE again;
    EXPECT_EQ(library_user_count, 2);
    EXPECT_NE(window_object(), nullptr);
}

TEST(Library, CloseWithoutAnOpenWindowReleasesNothing) {
    IMAGE picture;
    close_window();
    close_window();
    EXPECT_EQ(library_user_count, 2);
    EXPECT_NE(window_object(), nullptr);
}

TEST(PutImage, DrawsNothingBeforeTheFirstWindow) {
    IMAGE picture(2, 2);
    paint(picture, 1);
    EXPECT_EQ(drawing_target, nullptr);
    put_image(0, 0, &picture);
    EXPECT_EQ(pixels_of(picture), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST(PutImage, PictureOntoItselfGivesWhatABlockCopyGivesInBothDirections) {
    IMAGE picture(4, 3);
    IMAGE* const previous_target = drawing_target;
    drawing_target = &picture;
    paint(picture, 1);  // 1 2 3 4 / 5 6 7 8 / 9 10 11 12
    put_image(1, 1, &picture);
    EXPECT_EQ(pixels_of(picture), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 1, 2, 3, 9, 5, 6, 7}));
    paint(picture, 1);
    put_image(-1, -1, &picture);
    EXPECT_EQ(pixels_of(picture), (std::vector<std::uint32_t>{6, 7, 8, 4, 10, 11, 12, 8, 9, 10, 11, 12}));
    drawing_target = previous_target;
}
