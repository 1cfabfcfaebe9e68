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
    // True when the picture, scaled, covers the output to the last pixel: the
    // output is a whole multiple of it (1x, 2x, ...). Other outputs have bars,
    // or may have a row of them where the scale rounds.
    static bool FillsExactly(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);
};
