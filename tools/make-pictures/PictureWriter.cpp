#include "PictureWriter.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gif_lib.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {
constexpr int kGifBitsPerPixel = 8;
// rw-rw-rw- before the umask, as for any file a program creates.
constexpr mode_t kFileMode = 0666;
constexpr uint32_t kAlphaMask = 0xFF000000;

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
struct ColourMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Smallest power of two that holds `count` colours; GIF colour tables come in
// those sizes only.
int GifTableSize(int count)
{
    int size = 2;
    while (size < count)
        size *= 2;
    return size;
}

std::string GifMessage(int code)
{
    const char* text = GifErrorString(code);
    return text ? text : "GIF error " + std::to_string(code);
}
}  // namespace

bool PictureWriter::SavePng(const PixelCanvas& canvas, const std::string& path, std::string& error)
{
    if (canvas.GetWidth() < 1 || canvas.GetHeight() < 1) {
        error = path + ": an empty picture cannot be written";
        return false;
    }
    // The surface only borrows the canvas's words; SDL does not write them.
    auto* words = const_cast<uint32_t*>(canvas.GetPixels().data());
    std::unique_ptr<SDL_Surface, SurfaceDeleter> surface(SDL_CreateRGBSurfaceWithFormatFrom(
        words, canvas.GetWidth(), canvas.GetHeight(), 32, canvas.GetWidth() * 4,
        SDL_PIXELFORMAT_ARGB8888));
    if (!surface || IMG_SavePNG(surface.get(), path.c_str()) != 0) {
        error = path + ": " + SDL_GetError();
        return false;
    }
    return true;
}

bool PictureWriter::SaveGif(const PixelCanvas& canvas, const std::string& path, std::string& error)
{
    const std::vector<uint32_t>& pixels = canvas.GetPixels();
    if (pixels.empty()) {
        error = path + ": an empty picture cannot be written";
        return false;
    }
    std::map<uint32_t, int> indexOf;
    for (uint32_t pixel : pixels) {
        if ((pixel & kAlphaMask) != kAlphaMask) {
            error = path + ": a GIF picture must be opaque";
            return false;
        }
        indexOf.emplace(pixel, 0);
    }
    if (static_cast<int>(indexOf.size()) > kGifMaxColours) {
        error = path + ": " + std::to_string(indexOf.size()) + " colours, a GIF holds " +
                std::to_string(kGifMaxColours);
        return false;
    }

    std::unique_ptr<ColorMapObject, ColourMapDeleter> colourMap(
        GifMakeMapObject(GifTableSize(static_cast<int>(indexOf.size())), nullptr));
    if (!colourMap) {
        error = path + ": out of memory";
        return false;
    }
    int next = 0;
    for (auto& [colour, index] : indexOf) {
        index = next++;
        colourMap->Colors[index] = GifColorType{static_cast<GifByteType>(colour >> 16),
                                                static_cast<GifByteType>(colour >> 8),
                                                static_cast<GifByteType>(colour)};
    }

    // Opened here rather than by giflib, which would create the file readable by
    // its owner only.
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, kFileMode);
    if (descriptor < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    int gifError = 0;
    GifFileType* gif = EGifOpenFileHandle(descriptor, &gifError);
    if (!gif) {
        close(descriptor);
        error = path + ": " + GifMessage(gifError);
        return false;
    }
    const int width = canvas.GetWidth();
    const int height = canvas.GetHeight();
    bool written = EGifPutScreenDesc(gif, width, height, kGifBitsPerPixel, 0, colourMap.get()) ==
                       GIF_OK &&
                   EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; written && y < height; ++y) {
        for (int x = 0; x < width; ++x)
            line[static_cast<size_t>(x)] = static_cast<GifPixelType>(indexOf[canvas.Get(x, y)]);
        written = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    if (!written)
        gifError = gif->Error;
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) != GIF_OK && written) {
        written = false;
        gifError = closeError;
    }
    if (!written)
        error = path + ": " + GifMessage(gifError);
    return written;
}
