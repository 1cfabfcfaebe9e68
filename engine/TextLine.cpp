#include "TextLine.h"

TextLine::TextLine()
{
    text.reserve(kReservedChars);
}

TextLine::~TextLine()
{
    SDL_FreeSurface(rendered);
}

SDL_Surface* TextLine::Render(const char* wanted, unsigned int wantedColour, const FontRecord* record)
{
    TTF_Font* wantedFont = record ? record->font : nullptr;
    if (!wanted || !wantedFont)
        return nullptr;
    if (current && colour == wantedColour && font == wantedFont && text == wanted)
        return rendered;

    SDL_FreeSurface(rendered);
    const SDL_Color sdlColour{static_cast<Uint8>(wantedColour >> 16),
                              static_cast<Uint8>(wantedColour >> 8), static_cast<Uint8>(wantedColour), 0};
    rendered = TTF_RenderText_Solid(wantedFont, wanted, sdlColour);
    ++renderCount;
    text = wanted;
    colour = wantedColour;
    font = wantedFont;
    current = true;
    return rendered;
}
