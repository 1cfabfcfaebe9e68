#pragma once

#include "DirectionRecord.h"
#include "ImageData.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

class BaseEngine;

// The best run's player, drawn see-through where it was at the same tick of
// its run: in front of the backdrop and behind the moving objects, erased as
// they are, by restoring the background under its last drawing. Its track is
// worked out once, by playing the record with the game's own objects, and
// kept as a position and a picture a tick; drawing allocates nothing.
class Tqz41kGhost {
public:
    // Of ImageData::kOpaque: half the player's colour over what lies behind.
    static constexpr int Opacity = 128;

    // Plays the record on the level and keeps its track and key ticks. Loads
    // the player's pictures the first time.
    void Build(const Tqz41kTileManager::Cells& level, const DirectionRecord& record);
    void Clear();
    bool IsReady() const { return !track.empty(); }
    // The update in which the best run took its k-th key (k from 1); -1 when
    // it did not or there is no track.
    int KeyTick(int k) const;
    // Ticks the best run lasted: the update that won it, or all it played.
    int Ticks() const { return static_cast<int>(track.size()); }

    // Draws the best run's player as it was after `tick` updates of its run,
    // and remembers where; nothing once its run is over or without a track.
    void Draw(SDL_Surface* surface, int tick);
    // Restores the background under the last drawing, if any is left.
    void Erase(BaseEngine& engine);

private:
    struct Place {
        int16_t x;
        int16_t y;
        uint8_t picture;  // normal, from behind, ghost
    };
    std::vector<Place> track;  // [tick]: after that many updates, 0 the start
    std::array<int, Tqz41kPlayer::KeysToFind> keyTicks{};
    std::array<ImageData, 3> pictures;
    bool picturesLoaded = false;
    bool drawn = false;
    SDL_Rect lastDrawn{};
};
