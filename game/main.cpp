#include "GameAssets.h"
#include "Tqz41kMain.h"

#include <SDL.h>

int main(int, char**)
{
    Tqz41kMain game;
    // Without a window there is nothing to run.
    if (game.Initialise(GameAssets::kWindowTitle, GameAssets::kWindowWidth,
                        GameAssets::kWindowHeight, GameAssets::kFontFile,
                        GameAssets::kFontSize) != 0)
        return 1;
    const int result = game.MainLoop();
    game.Deinitialise();
    return result;
}
