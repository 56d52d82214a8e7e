// The pictures the client loads. It copies them onto the window without blending and draws
// them at fixed places of the board window, so each must be an opaque PNG of exactly the
// size its place gives it: the last move's marks are square backgrounds, the lost piece's
// badge a small block in a square's corner. The launcher's menu does the same with its
// buttons, captions and typed characters.
#include "png_summary.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Picture {
    std::string file;
    std::uint32_t width;
    std::uint32_t height;
};

const Picture board_pictures[] = {
    {"exit.png", 144, 144},
    {"y1.png", 108, 144},
    {"y2.png", 108, 144},
    {"w1.png", 108, 144},
    {"w2.png", 108, 144},
    {"gz.png", 72, 72},
    {"xz.png", 72, 72},
    {"from_step.png", 72, 72},
    {"to_step.png", 72, 72},
    {"from_won.png", 72, 72},
    {"to_won.png", 72, 72},
    {"from_lost.png", 72, 72},
    {"to_lost.png", 72, 72},
    {"st.png", 64, 64},
    {"jd.png", 64, 64},
    {"b.png", 64, 64},
    {"wh.png", 64, 64},
    {"lost_st.png", 26, 26},
    {"lost_jd.png", 26, 26},
    {"lost_b.png", 26, 26},
    {"hj.png", 360, 40},
    {"jz.png", 800, 500},
    {"1.png", 360, 904},
    {"2.png", 360, 904},
};

const Picture menu_pictures[] = {
    {"menu/title.png", 480, 80},
    {"menu/solo.png", 400, 28},
    {"menu/easy.png", 128, 64},
    {"menu/normal.png", 128, 64},
    {"menu/hard.png", 128, 64},
    {"menu/pair.png", 400, 56},
    {"menu/host.png", 400, 56},
    {"menu/join.png", 400, 56},
    {"menu/resume.png", 400, 56},
    {"menu/quit.png", 400, 56},
    {"menu/address.png", 400, 28},
    {"menu/key.png", 400, 28},
    {"menu/go.png", 192, 56},
    {"menu/back.png", 192, 56},
    {"menu/waiting.png", 400, 28},
    {"menu/refused_unanswered.png", 400, 56},
    {"menu/refused_key.png", 400, 56},
    {"menu/refused_relay.png", 400, 56},
    {"menu/refused_other.png", 400, 56},
};

// Every picture: the board's, the menu's, and a glyph for each character the menu types,
// named by its code in hexadecimal.
std::vector<Picture> all_pictures()
{
    std::vector<Picture> all(std::begin(board_pictures), std::end(board_pictures));
    all.insert(all.end(), std::begin(menu_pictures), std::end(menu_pictures));
    for (const char character : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.:-[]")) {
        char name[32];
        std::snprintf(name, sizeof name, "menu/glyph/%02X.png", static_cast<unsigned char>(character));
        all.push_back({name, 24, 40});
    }
    return all;
}

const std::vector<Picture> pictures = all_pictures();

void PrintTo(const Picture& picture, std::ostream* out)
{
    *out << picture.file << " " << picture.width << "x" << picture.height;
}

// The pictures ship with the game; a careless export easily costs megabytes.
constexpr std::uintmax_t size_budget = 400 * 1024;

std::filesystem::path path_of(const std::string& file)
{
    return std::filesystem::path(PICTURE_DIR) / file;
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class PictureFile : public testing::TestWithParam<Picture> {};

std::string test_name(const testing::TestParamInfo<Picture>& info)
{
    std::filesystem::path file(info.param.file);
    if (file.has_parent_path()) {
        std::string name = file.parent_path().string() + "_" + file.stem().string();
        for (char& c : name)
            if (c == '/') c = '_';
        return name;
    }
    std::string name = file.stem().string();
    return std::isdigit(static_cast<unsigned char>(name[0])) ? "win_" + name : name;
}

}

TEST_P(PictureFile, IsAnOpaquePngOfItsPlacesSize)
{
    const Picture& picture = GetParam();
    std::filesystem::path path = path_of(picture.file);
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;

    PngSummary summary = summarise_png(read_file(path));
    ASSERT_EQ(summary.fault, "") << path;
    EXPECT_EQ(summary.width, picture.width) << path;
    EXPECT_EQ(summary.height, picture.height) << path;
    EXPECT_FALSE(colour_type_has_alpha(summary.colour_type))
        << path << " has an alpha channel (colour type " << summary.colour_type << ")";
    EXPECT_FALSE(summary.has_transparency_chunk) << path << " declares a transparent colour";
    EXPECT_GT(summary.image_data_chunks, 0) << path;
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFile, testing::ValuesIn(pictures), test_name);

TEST(PictureSet, StaysWithinItsSizeBudget)
{
    std::uintmax_t total = 0;
    for (const Picture& picture : pictures) {
        std::filesystem::path path = path_of(picture.file);
        if (std::filesystem::is_regular_file(path))
            total += std::filesystem::file_size(path);
    }
    EXPECT_LE(total, size_budget);
}
