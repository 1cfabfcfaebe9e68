#include "Tqz41kGhost.h"

#include "BaseEngine.h"
#include "GameAssets.h"
#include "Tqz41kRunReplayer.h"

namespace {
enum Picture : uint8_t { Normal, Behind, Ghost };

uint8_t PictureOf(const Tqz41kPlayer::State& state)
{
    return state.ghost ? Ghost : state.climbing ? Behind : Normal;
}
}  // namespace

void Tqz41kGhost::Build(const Tqz41kTileManager::Cells& level, const DirectionRecord& record)
{
    if (!picturesLoaded) {
        pictures[Normal].LoadImage(GameAssets::kPlayerPicture.file);
        pictures[Behind].LoadImage(GameAssets::kPlayerBehindPicture.file);
        pictures[Ghost].LoadImage(GameAssets::kPlayerGhostPicture.file);
        picturesLoaded = true;
    }
    track.clear();
    track.reserve(record.Ticks() + 1);
    const Tqz41kPlayer::State start;
    track.push_back({static_cast<int16_t>(start.x), static_cast<int16_t>(start.y), PictureOf(start)});
    const Tqz41kRunReplayer::Outcome outcome = Tqz41kRunReplayer::Play(
        level, record, false, [this](int, const Tqz41kPlayer::State& player) {
            track.push_back({static_cast<int16_t>(player.x), static_cast<int16_t>(player.y),
                             PictureOf(player)});
        });
    keyTicks = outcome.keyTicks;
}

void Tqz41kGhost::Clear()
{
    track.clear();
    track.shrink_to_fit();
    keyTicks.fill(-1);
}

int Tqz41kGhost::KeyTick(int k) const
{
    if (!IsReady() || k < 1 || k > Tqz41kPlayer::KeysToFind)
        return -1;
    return keyTicks[static_cast<size_t>(k - 1)];
}

void Tqz41kGhost::Draw(SDL_Surface* surface, int tick)
{
    if (tick < 0 || static_cast<size_t>(tick) >= track.size())
        return;
    const Place& place = track[static_cast<size_t>(tick)];
    pictures[place.picture].RenderImageBlended(surface, 0, 0, place.x, place.y, Tqz41kPlayer::Width,
                                               Tqz41kPlayer::Height, Opacity);
    lastDrawn = {place.x, place.y, Tqz41kPlayer::Width, Tqz41kPlayer::Height};
    drawn = true;
}

void Tqz41kGhost::Erase(BaseEngine& engine)
{
    if (!drawn)
        return;
    engine.CopyBackgroundPixels(lastDrawn.x, lastDrawn.y, lastDrawn.w, lastDrawn.h);
    drawn = false;
}
