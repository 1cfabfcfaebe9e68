#pragma once

#include "PixelCanvas.h"

#include <string>

// Writes a canvas as a picture file: PNG with its transparency through
// SDL2_image, or GIF (opaque pictures of at most 256 colours) through giflib.
// It writes exactly the canvas's pixels: no scaling, no colour reduction.
class PictureWriter {
public:
    static constexpr int kGifMaxColours = 256;

    // Each returns false and fills `error` when the file cannot be written or
    // the canvas does not fit the format.
    static bool SavePng(const PixelCanvas& canvas, const std::string& path, std::string& error);
    static bool SaveGif(const PixelCanvas& canvas, const std::string& path, std::string& error);
};
