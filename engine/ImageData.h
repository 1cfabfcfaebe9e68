#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

// A decoded picture held as 0xAARRGGBB words in plain memory, drawn by copying
// words straight into a surface. It keeps no SDL surface or texture, and it is
// never copied: objects that share a picture lend a pointer to its owner's image.
class ImageData {
public:
    ImageData() = default;
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // The widest and tallest picture LoadImage decodes, in pixels. Far more
    // than an 800 x 600 window needs, yet a dozen pictures at the limit stay
    // near 200 MB.
    static constexpr int kMaxSide = 2048;

    // Replaces the picture with the decoded file. On failure the image is left
    // without pixels (its width and height are kept) and false is returned.
    // Only plain PNG and GIF files are decoded, and only when their header
    // claims at most kMaxSide x kMaxSide; any other file (a named pipe, a
    // folder) is refused before it is read, with one line on standard error.
    // A file that fails to decode (a bad checksum, cut short) gets one line
    // naming it. A missing file is refused silently.
    bool LoadImage(const char* fileName);

    // Copies the region (srcX, srcY, regionWidth x regionHeight) to (dstX, dstY).
    // The region is clipped to the surface and to the picture; an empty image
    // draws nothing.
    void RenderImage(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                     int regionWidth, int regionHeight) const;

    // As RenderImage, but pixels equal to the picture's bottom-right pixel word
    // (its transparent colour, alpha included) are left untouched.
    void RenderImageWithMask(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                             int regionWidth, int regionHeight) const;

    // The most opacity a blended picture can have: drawn as it is.
    static constexpr int kOpaque = 256;
    // As RenderImageWithMask, but each drawn pixel is mixed with what lies
    // under it, opacity parts of kOpaque of the picture's colour (0: nothing
    // shows; kOpaque or more: as RenderImageWithMask). The result is opaque.
    void RenderImageBlended(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                            int regionWidth, int regionHeight, int opacity) const;

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // The word at (x, y); the caller keeps inside the picture.
    uint32_t GetPixel(int x, int y) const { return pixels[width * y + x]; }

private:
    void Render(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                int regionWidth, int regionHeight, bool masked, int opacity = kOpaque) const;

    int width = 0;
    int height = 0;
    std::unique_ptr<uint32_t[]> pixels;
};
