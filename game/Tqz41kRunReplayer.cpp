#include "Tqz41kRunReplayer.h"

#include "Tqz41kMain.h"

#include <memory>

namespace {
constexpr int kTickMs = 15;
}  // namespace

Tqz41kRunReplayer::Outcome Tqz41kRunReplayer::Play(const Tqz41kTileManager::Cells& level,
                                                   const DirectionRecord& record, bool stopAtTrap,
                                                   const OnTick& onTick)
{
    Outcome outcome;
    outcome.keyTicks.fill(-1);
    auto game = std::make_unique<Tqz41kMain>(level);
    game->InitialiseObjects();
    game->StartRun();
    int keysLeft = Tqz41kPlayer::KeysToFind;
    for (size_t index = 0; index < record.Ticks(); ++index) {
        const int tick = static_cast<int>(index) + 1;
        game->PlayDirections(static_cast<int>(record.At(index)));
        game->UpdateAllObjects(tick * kTickMs);
        outcome.ticksPlayed = tick;
        if (game->GetGameState() != Tqz41kMain::StatePlaying) {
            outcome.winTick = tick;
            break;
        }
        const auto* player = dynamic_cast<const Tqz41kPlayer*>(game->GetDisplayableObject(0));
        if (!player)
            break;
        const Tqz41kPlayer::State state = player->GetState();
        for (; keysLeft > state.keysLeft && keysLeft > 0; --keysLeft)
            outcome.keyTicks[static_cast<size_t>(Tqz41kPlayer::KeysToFind - keysLeft)] = tick;
        if (state.ghost && outcome.firstTrapTick < 0)
            outcome.firstTrapTick = tick;
        if (onTick)
            onTick(tick, state);
        if (stopAtTrap && outcome.firstTrapTick >= 0)
            break;
    }
    return outcome;
}
