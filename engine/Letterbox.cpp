#include "Letterbox.h"

#include <algorithm>
#include <cmath>

namespace {

// A whole scale may give up at most this share of the largest fit.
constexpr double kWholeScaleKeeps = 0.9;

}  // namespace

bool Letterbox::PrefersWholeMultiple(int outputWidth, int outputHeight, int pictureWidth,
                                     int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return false;
    const double fit = std::min(static_cast<double>(outputWidth) / pictureWidth,
                                static_cast<double>(outputHeight) / pictureHeight);
    const double whole = std::floor(fit);
    return whole >= 1.0 && whole >= fit * kWholeScaleKeeps;
}

bool Letterbox::FillsExactly(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || outputWidth % pictureWidth != 0 ||
        outputHeight % pictureHeight != 0)
        return false;
    const int scale = outputWidth / pictureWidth;
    return scale >= 1 && outputHeight / pictureHeight == scale;
}
