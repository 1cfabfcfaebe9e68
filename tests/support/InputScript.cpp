#include "InputScript.h"

#include <SDL.h>

#include <fstream>
#include <numeric>
#include <sstream>

namespace {

constexpr struct {
    char letter;
    int keyCode;
} kArrows[] = {{'U', SDLK_UP}, {'D', SDLK_DOWN}, {'L', SDLK_LEFT}, {'R', SDLK_RIGHT}};

}  // namespace

InputScript InputScript::Load(const std::string& path)
{
    InputScript script;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        Stretch stretch;
        std::string held;
        if (!(fields >> stretch.ticks))
            continue;
        if (!(fields >> held) || stretch.ticks < 0)
            return {};
        stretch.held = held == "-" ? "" : held;
        script.stretches.push_back(stretch);
    }
    return script;
}

int InputScript::TotalTicks() const
{
    return std::accumulate(stretches.begin(), stretches.end(), 0,
                           [](int sum, const Stretch& s) { return sum + s.ticks; });
}

void InputScript::PushKey(int keyCode, bool down, Uint16 modifiers)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = keyCode;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

void InputScript::PushWindowEvent(const BaseEngine& engine, Uint8 what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = engine.GetWindowId();
    event.window.event = what;
    SDL_PushEvent(&event);
}

void InputScript::HoldOnly(const std::string& held, std::string& current) const
{
    for (const auto& arrow : kArrows) {
        const bool want = held.find(arrow.letter) != std::string::npos;
        const bool have = current.find(arrow.letter) != std::string::npos;
        if (want != have)
            PushKey(arrow.keyCode, want);
    }
    current = held;
}
