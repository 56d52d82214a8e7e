#pragma once
// In-memory pictures and the copy of a picture onto the window's back buffer.

#include <cstdint>
#include <memory>

// A 32-bit picture: `width` x `height` pixels, each the word 0x00RRGGBB, rows
// from top to bottom. `pixels` is nullptr while the picture is empty.
// Colours of the drawing state are Windows colour values 0x00BBGGRR.
class IMAGE {
public:
    int width = 0;
    int height = 0;
    std::uint32_t* pixels = nullptr;
    std::uint32_t line_color = 0xFFFFFF;
    std::uint32_t fill_color = 0xFFFFFF;
    std::uint32_t text_color = 0xFFFFFF;
    std::uint32_t background_color = 0;

    explicit IMAGE(int width = 0, int height = 0);
    IMAGE(const IMAGE& other);
    IMAGE& operator=(const IMAGE& other);
    virtual ~IMAGE();

    // Gives the picture a new size, keeping the top-left content that fits and
    // filling the rest with `background_color`. A zero width or height changes
    // nothing.
    virtual void resize(int width, int height);
    void reset_drawing_state();

private:
    std::unique_ptr<std::uint32_t[]> buffer_;
};

constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Result codes of load_image.
constexpr std::uint8_t LOAD_OK = 0;
constexpr std::uint8_t LOAD_CANNOT_OPEN = 2;

// Reads a PNG file into `image` (nullptr: the window's back buffer), scaled to
// width x height (0 keeps the file's own width or height) and laid over black.
// A picture with pixels keeps its size unless `resize` is true. Returns
// LOAD_CANNOT_OPEN, leaving the picture alone, when the path cannot be opened
// and read as a regular file (missing, a directory, a device, a read error);
// LOAD_OK otherwise, also for a file that does not decode (the picture is then
// black, or stays empty).
std::uint8_t load_image(IMAGE* image, const char* path, int width = 0, int height = 0,
                        bool resize = false);

// Copies the whole picture onto the drawing target (the window's back buffer
// once a window has been opened) with its top-left corner at (x, y), clipped to
// the target. Only SRCCOPY is supported; any other raster operation draws
// nothing. Before the first window there is no target and nothing is drawn.
void put_image(int x, int y, const IMAGE* image, std::uint32_t raster_operation = SRCCOPY);
