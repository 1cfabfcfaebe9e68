#pragma once

#include <SDL.h>

// The one frame of the bare SDL programs that start-up is held against: a
// cleared window, or a full-window streaming texture uploaded and drawn as the
// game's frames are. The texture belongs to the renderer and goes with it.
void PresentBareFrame(SDL_Renderer* renderer, bool withPicture);
