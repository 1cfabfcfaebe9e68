#include "PlayClock.h"

namespace {

// now - since on the wrapping clock, or 0 when now lies before since.
int64_t MsSince(int since, int now)
{
    const auto difference = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(since));
    return difference > 0 ? difference : 0;
}

}  // namespace

void PlayClock::Start(int now)
{
    bankedMs = 0;
    runningSince = now;
    running = true;
}

void PlayClock::Pause(int now)
{
    if (!running)
        return;
    bankedMs += MsSince(runningSince, now);
    running = false;
}

void PlayClock::Resume(int now)
{
    if (running)
        return;
    runningSince = now;
    running = true;
}

int64_t PlayClock::ElapsedMs(int now) const
{
    return running ? bankedMs + MsSince(runningSince, now) : bankedMs;
}
