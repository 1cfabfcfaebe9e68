#pragma once

#include "FontStore.h"

#include <SDL.h>

#include <string>

// One line of text kept rendered between frames: asked for the same text,
// colour and font again, it hands back the surface it rendered last time, and
// renders anew only when one of them changed. It draws nothing itself; the
// engine's DrawTextLine blits what it holds.
class TextLine {
public:
    TextLine();
    ~TextLine();
    TextLine(const TextLine&) = delete;
    TextLine& operator=(const TextLine&) = delete;

    // The rendered line, or null when nothing is to be drawn: no font record,
    // a font that did not open, an empty text or a failed render. Valid until
    // the next call or the line's end.
    SDL_Surface* Render(const char* text, unsigned int colour, const FontRecord* font);
    // How often a line was rendered, for tests and measurements.
    int GetRenderCount() const { return renderCount; }

private:
    // Room for the usual line, so that texts of similar length reuse it.
    static constexpr size_t kReservedChars = 64;

    std::string text;
    unsigned int colour = 0;
    TTF_Font* font = nullptr;
    SDL_Surface* rendered = nullptr;  // owned
    bool current = false;             // text, colour and font describe `rendered`
    int renderCount = 0;
};
