// The floor for the game's start-up: an SDL program that opens one window of
// the game's size with the default renderer and presents one cleared frame.
// With the argument "picture" it presents a full-window streaming texture
// instead, uploaded and drawn as the game's frames are.

#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;
}  // namespace

int main(int argc, char** argv)
{
    const bool withPicture = argc > 1 && std::strcmp(argv[1], "picture") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("Bare", 10, 40, kWidth, kHeight, 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer)
        return 1;
    if (withPicture) {
        SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                 SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
        const std::vector<uint32_t> picture(kWidth * kHeight, 0xFF87CEEB);
        SDL_UpdateTexture(texture, nullptr, picture.data(), kWidth * sizeof(uint32_t));
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    } else {
        SDL_RenderClear(renderer);
    }
    SDL_RenderPresent(renderer);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
