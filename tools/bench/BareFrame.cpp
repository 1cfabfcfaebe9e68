#include "BareFrame.h"

#include <cstdint>
#include <vector>

void PresentBareFrame(SDL_Renderer* renderer, bool withPicture)
{
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    if (withPicture) {
        SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                 SDL_TEXTUREACCESS_STREAMING, width, height);
        const std::vector<uint32_t> picture(static_cast<size_t>(width) * height, 0xFF87CEEB);
        SDL_UpdateTexture(texture, nullptr, picture.data(), width * static_cast<int>(sizeof(uint32_t)));
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    } else {
        SDL_RenderClear(renderer);
    }
    SDL_RenderPresent(renderer);
}
