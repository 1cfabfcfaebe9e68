// The floor for the game's start-up: an SDL program that opens one window of
// the game's size with the default renderer and presents one cleared frame.
// With the argument "picture" it presents a full-window picture instead.

#include "BareFrame.h"
#include "GameAssets.h"

#include <SDL.h>

#include <cstring>

int main(int argc, char** argv)
{
    const bool withPicture = argc > 1 && std::strcmp(argv[1], "picture") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("Bare", 10, 40, GameAssets::kWindowWidth,
                                          GameAssets::kWindowHeight, 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer)
        return 1;
    PresentBareFrame(renderer, withPicture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
