#pragma once

// How a picture of fixed size is shown in a window of any size: as large as
// its shape allows, centred, the rest black (the renderer's logical size does
// the placing). This decides only whether the scale snaps to a whole multiple.
class Letterbox {
public:
    // True when a whole multiple of the picture fits the output and keeps at
    // least nine tenths of the largest fit: every pixel then becomes the same
    // square of screen pixels, for a tenth of the size at most. Never true for
    // an output smaller than the picture, which a whole scale would crop.
    static bool PrefersWholeMultiple(int outputWidth, int outputHeight, int pictureWidth,
                                     int pictureHeight);
};
