#include "image.h"

#include "library.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t default_line_color = 0xFFFFFF;
constexpr std::uint32_t default_fill_color = 0xFFFFFF;
constexpr std::uint32_t default_text_color = 0xFFFFFF;
constexpr std::uint32_t default_background_color = 0x000000;

// A colour 0x00BBGGRR becomes the pixel word 0x00RRGGBB.
std::uint32_t color_to_pixel(std::uint32_t color) {
    return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

// Copies the top-left part of `source` that fits into `target`, both buffers
// with their own row lengths.
void copy_rows(const std::uint32_t* source, int source_width, int source_height,
               std::uint32_t* target, int target_width, int target_height) {
    const int columns = std::min(source_width, target_width);
    const int rows = std::min(source_height, target_height);
    for (int row = 0; row < rows; ++row) {
        std::memcpy(target + static_cast<std::size_t>(row) * target_width,
                    source + static_cast<std::size_t>(row) * source_width,
                    static_cast<std::size_t>(columns) * sizeof(std::uint32_t));
    }
}

}  // namespace

IMAGE::IMAGE(int width, int height) {
    count_user();
    reset_drawing_state();
    resize(width, height);
}

IMAGE::IMAGE(const IMAGE& other) {
    count_user();
    reset_drawing_state();
    resize(other.width, other.height);
    std::lock_guard lock(draw_lock);
    if (pixels && other.pixels) {
        copy_rows(other.pixels, other.width, other.height, pixels, width, height);
    }
}

IMAGE& IMAGE::operator=(const IMAGE& other) {
    if (this == &other) return *this;
    if (!other.pixels) {
        // An empty source leaves an empty picture, not the old content.
        std::lock_guard lock(draw_lock);
        buffer_.reset();
        pixels = nullptr;
        width = 0;
        height = 0;
        return *this;
    }
    resize(other.width, other.height);
    std::lock_guard lock(draw_lock);
    copy_rows(other.pixels, other.width, other.height, pixels, width, height);
    return *this;
}

IMAGE::~IMAGE() {
    {
        std::lock_guard lock(draw_lock);
        buffer_.reset();
        pixels = nullptr;
    }
    release_user();
}

void IMAGE::resize(int new_width, int new_height) {
    if (new_width <= 0 || new_height <= 0) return;
    const std::size_t count = static_cast<std::size_t>(new_width) * new_height;
    auto fresh = std::make_unique<std::uint32_t[]>(count);
    std::fill_n(fresh.get(), count, color_to_pixel(background_color));

    std::lock_guard lock(draw_lock);
    if (pixels) copy_rows(pixels, width, height, fresh.get(), new_width, new_height);
    buffer_ = std::move(fresh);
    pixels = buffer_.get();
    width = new_width;
    height = new_height;
}

void IMAGE::reset_drawing_state() {
    line_color = default_line_color;
    fill_color = default_fill_color;
    text_color = default_text_color;
    background_color = default_background_color;
}

void put_image(int x, int y, const IMAGE* image, std::uint32_t raster_operation) {
    if (!image || raster_operation != SRCCOPY) return;
    std::lock_guard lock(draw_lock);
    IMAGE* target = drawing_target;
    if (!target || !target->pixels || !image->pixels) return;

    // 64-bit edges: a position near the int limits must not wrap around.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + image->width, target->width);
    const long long bottom =
        std::min<long long>(static_cast<long long>(y) + image->height, target->height);
    if (left >= right || top >= bottom) return;

    // The back buffer may be put onto itself. A copy downwards then goes from
    // the bottom row up, so no row is overwritten before it is read; memmove
    // takes care of the overlap within a row.
    const bool from_the_bottom = image->pixels == target->pixels && y > 0;
    const std::size_t row_bytes = static_cast<std::size_t>(right - left) * sizeof(std::uint32_t);
    for (long long step = 0; step < bottom - top; ++step) {
        const long long row = from_the_bottom ? bottom - 1 - step : top + step;
        const std::uint32_t* source = image->pixels + (row - y) * image->width + (left - x);
        std::uint32_t* destination = target->pixels + row * target->width + left;
        std::memmove(destination, source, row_bytes);
    }
}
