// load_image: PNG decoding and scaling through SDL2_image.

#include "image.h"

#include "graph_wnd.h"
#include "library.h"
#include "regular_files.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <vector>

namespace {

SDL_Surface* decode_picture(std::vector<unsigned char>& bytes) {
    if (bytes.empty()) return nullptr;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return stream ? IMG_Load_RW(stream, 1) : nullptr;
}

// Clears the picture to black and blends the decoded picture over it, scaled
// into (0, 0, width, height) and cut at the picture's edges. The caller holds
// draw_lock.
void draw_over_black(IMAGE& image, SDL_Surface* picture, int width, int height) {
    if (!image.pixels) return;
    std::fill_n(image.pixels, static_cast<std::size_t>(image.width) * image.height, 0u);
    if (!picture || width <= 0 || height <= 0) return;
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(
        image.pixels, image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_RGB888);
    if (!target) return;
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_BLEND);
    SDL_Rect area{0, 0, width, height};
    SDL_BlitScaled(picture, nullptr, target, &area);
    SDL_FreeSurface(target);
    // SDL's blitters may set the unused fourth byte; pixels are 0x00RRGGBB.
    for (std::size_t i = 0, count = static_cast<std::size_t>(image.width) * image.height; i < count; ++i) {
        image.pixels[i] &= 0x00FFFFFFu;
    }
}

}  // namespace

std::uint8_t load_image(IMAGE* image, const char* path, int width, int height, bool resize) {
    std::vector<unsigned char> bytes;
    if (!path || !platform::read_regular_file(path, bytes)) return LOAD_CANNOT_OPEN;

    IMAGE* target = image ? image : window_object();
    if (!target) return LOAD_OK;

    SDL_Surface* picture = decode_picture(bytes);
    const int drawn_width = width != 0 ? width : (picture ? picture->w : 0);
    const int drawn_height = height != 0 ? height : (picture ? picture->h : 0);

    if (!target->pixels || (resize && (drawn_width != target->width || drawn_height != target->height))) {
        target->resize(drawn_width, drawn_height);
    }
    {
        std::lock_guard lock(draw_lock);
        draw_over_black(*target, picture, drawn_width, drawn_height);
    }
    SDL_FreeSurface(picture);
    return LOAD_OK;
}
