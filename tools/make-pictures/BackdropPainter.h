#pragma once

#include "GameAssets.h"
#include "PixelCanvas.h"

#include <map>
#include <string>

// Paints the 800 x 600 title and end backdrops: a dim vault drawn with shapes
// and the game's own sprites, with dark calm bands where the game writes its
// texts. It reads the sprites it is given and writes no files.
class BackdropPainter {
public:
    static constexpr int kScreenWidth = GameAssets::kWindowWidth;
    static constexpr int kScreenHeight = GameAssets::kWindowHeight;

    // `sprites` maps picture file names to their drawn grids; missing ones are
    // left out of the scene.
    explicit BackdropPainter(const std::map<std::string, PixelCanvas>& sprites);

    PixelCanvas PaintTitle() const;
    PixelCanvas PaintEnd() const;

private:
    const PixelCanvas& Sprite(const std::string& file) const;

    const std::map<std::string, PixelCanvas>& sprites;
    PixelCanvas none;
};
