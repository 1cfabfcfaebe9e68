#include "Tqz41kMain.h"

#include <SDL.h>

namespace {
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr int kFontSize = 24;
}  // namespace

int main(int, char**)
{
    Tqz41kMain game;
    // Without a window there is nothing to run.
    if (game.Initialise("Vaultrun", kWindowWidth, kWindowHeight, "Cornerstone Regular.ttf",
                        kFontSize) != 0)
        return 1;
    const int result = game.MainLoop();
    game.Deinitialise();
    return result;
}
