#include "LevelChecker.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"
#include "Tqz41kTrap.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <memory>

namespace {
using Map = Tqz41kTileManager;
using Player = Tqz41kPlayer;

constexpr int kChestColumn = 14;
constexpr int kChestRow = 0;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
// Positions searched: the window with a margin, so that a player leaving the
// map is seen doing so before the search stops following it.
constexpr int kMargin = 64;
constexpr int kSearchWidth = kWindowWidth + 2 * kMargin;
constexpr int kSearchHeight = kWindowHeight + 2 * kMargin;
// A trap slides from 10 pixels above its start to 44 below it (its turning points).
constexpr int kTrapRise = 10;
constexpr int kTrapDrop = 44;
constexpr int kTrapWidth = 30;
constexpr int kTrapHeight = 45;

// The player's probes print their diagnostic lines; the checker's own report
// must not drown in them, so standard output goes nowhere while the game runs.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            close(saved);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};

struct Place {
    int x = 0;
    int y = 0;
};

// Lines of the text as the game splits them: at each LF, a CR before it dropped.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

void CheckShape(std::string_view text, std::vector<LevelChecker::Finding>& findings)
{
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.size() < static_cast<size_t>(Map::MapRows))
        findings.push_back({true, 0, 0,
                            "has " + std::to_string(lines.size()) + " lines, the map " +
                                std::to_string(Map::MapRows) + " rows; missing cells are solid"});
    if (lines.size() > static_cast<size_t>(Map::MapRows))
        findings.push_back({false, Map::MapRows + 1, 0, "lines after the 11th are ignored"});

    for (int row = 0; row < Map::MapRows && row < static_cast<int>(lines.size()); ++row) {
        const std::string_view line = lines[static_cast<size_t>(row)];
        if (line.size() < static_cast<size_t>(Map::MapColumns))
            findings.push_back({true, row + 1, 0,
                                "has " + std::to_string(line.size()) + " cells, a row " +
                                    std::to_string(Map::MapColumns) + "; missing cells are solid"});
        if (line.size() > static_cast<size_t>(Map::MapColumns))
            findings.push_back({false, row + 1, Map::MapColumns + 1, "characters after the 15th are ignored"});
        for (int column = 0; column < Map::MapColumns && column < static_cast<int>(line.size()); ++column) {
            const char letter = line[static_cast<size_t>(column)];
            const bool chestCell = column == kChestColumn && row == kChestRow;
            if (chestCell && letter != 'e')
                findings.push_back({true, row + 1, column + 1,
                                    "the top-right cell must hold the closed chest 'e'"});
            else if (!chestCell && (letter == 'e' || letter == 'h'))
                findings.push_back({false, row + 1, column + 1,
                                    "a chest here never opens: the keys open the top-right one"});
            else if (letter != 'd' && letter != 'v' && letter != 'w' && !chestCell)
                findings.push_back({false, row + 1, column + 1,
                                    std::string("'") + letter +
                                        "' is no tile: drawn as sky, but solid to the player"});
        }
    }
}

// True when one of the player's four contact points lies strictly inside the
// trap's rectangle at some height of its travel.
bool TrapCanCatch(const Place& trap, int x, int y)
{
    const int points[4][2] = {{x, y},
                              {x + Player::Width, y},
                              {x, y + Player::Height},
                              {x + Player::Width, y + Player::Height}};
    for (const auto& point : points) {
        if (point[0] > trap.x && point[0] < trap.x + kTrapWidth && point[1] > trap.y - kTrapRise &&
            point[1] < trap.y + kTrapDrop + kTrapHeight)
            return true;
    }
    return false;
}

struct Search {
    int mapBottom = 0;  // the first pixel row below the map
    std::vector<Place> keys;
    std::vector<std::string> keyCells;
    std::vector<Place> traps;
    std::vector<bool> keyTaken;
    bool chestReached = false;
    Place pastRightEdge{-1, -1};
    Place belowMap{-1, -1};
    Place strandedGhost{-1, -1};
};

void Visit(const Map& map, Search& search, int x, int y)
{
    for (size_t i = 0; i < search.keys.size(); ++i) {
        const Place& key = search.keys[i];
        if (map.MapYForScreenY(y) == map.MapYForScreenY(key.y) && x > key.x - Player::Width &&
            x < key.x + 10)
            search.keyTaken[i] = true;
    }
    if (map.MapXForScreenX(x + Player::Width - 1) == kChestColumn &&
        map.MapYForScreenY(y - 1) == kChestRow)
        search.chestReached = true;
    if (x + Player::Width > kWindowWidth && search.pastRightEdge.x < 0)
        search.pastRightEdge = {x, y};
    if (y + Player::Height + 1 >= search.mapBottom && search.belowMap.x < 0)
        search.belowMap = {x, y};
    if ((x < Player::StartX || y > Player::StartY) && search.strandedGhost.x < 0) {
        for (const Place& trap : search.traps)
            if (TrapCanCatch(trap, x, y))
                search.strandedGhost = {x, y};
    }
}

// Breadth-first over every position the real movement reaches from the start,
// trying every combination of held arrow keys for one tick at each.
void Explore(Tqz41kMain& game, Player& player, Search& search)
{
    const int horizontal[] = {0, SDLK_LEFT, SDLK_RIGHT};
    const int vertical[] = {0, SDLK_UP, SDLK_DOWN};
    std::vector<bool> seen(static_cast<size_t>(kSearchWidth) * kSearchHeight, false);
    auto index = [](int x, int y) {
        return static_cast<size_t>(y + kMargin) * kSearchWidth + static_cast<size_t>(x + kMargin);
    };
    auto inside = [](int x, int y) {
        return x >= -kMargin && y >= -kMargin && x < kWindowWidth + kMargin &&
               y < kWindowHeight + kMargin;
    };

    std::deque<Place> queue{{Player::StartX, Player::StartY}};
    seen[index(Player::StartX, Player::StartY)] = true;
    while (!queue.empty()) {
        const Place at = queue.front();
        queue.pop_front();
        Visit(game.GetTileMap(), search, at.x, at.y);
        for (int across : horizontal) {
            for (int upDown : vertical) {
                for (int key : {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN})
                    game.SetKeyPressed(key, key == across || key == upDown);
                Player::State state;
                state.x = at.x;
                state.y = at.y;
                player.SetState(state);
                player.DoUpdate(0);
                const Player::State after = player.GetState();
                if (inside(after.x, after.y) && !seen[index(after.x, after.y)]) {
                    seen[index(after.x, after.y)] = true;
                    queue.push_back({after.x, after.y});
                }
            }
        }
    }
}
}  // namespace

std::vector<LevelChecker::Finding> LevelChecker::Check(std::string_view levelText)
{
    std::vector<Finding> findings;
    CheckShape(levelText, findings);

    Search search;
    bool started = false;
    {
        const QuietStdout quiet;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        auto game = std::make_unique<Tqz41kMain>();
        if (game->Initialise("Vaultrun level check", kWindowWidth, kWindowHeight, nullptr, 0) == 0) {
            started = true;
            // The roster the game builds tells where the keys and traps are.
            for (int i = 0; DisplayableObject* object = game->GetDisplayableObject(i); ++i) {
                const Place place{object->GetCurrentScreenX(), object->GetCurrentScreenY()};
                if (dynamic_cast<Tqz41kCollectibles*>(object))
                    search.keys.push_back(place);
                else if (dynamic_cast<Tqz41kTrap*>(object))
                    search.traps.push_back(place);
            }
            search.keyTaken.assign(search.keys.size(), false);
            // Only the player moves; traps are judged by their reach instead.
            game->CreateObjectArray(1);
            auto owned = std::make_unique<Player>(game.get());
            Player* player = owned.get();
            player->SetVisible(true);
            game->StoreObjectInArray(0, std::move(owned));
            Map& map = game->GetTileMap();
            map.SetLevel(Map::ParseLevel(levelText));
            search.mapBottom = map.ScreenYForMapY(Map::MapRows);
            for (const Place& key : search.keys)
                search.keyCells.push_back("column " + std::to_string(map.MapXForScreenX(key.x)) +
                                          ", row " + std::to_string(map.MapYForScreenY(key.y)));
            Explore(*game, *player, search);
        }
        game->Deinitialise();
    }
    if (!started) {
        findings.push_back({true, 0, 0, std::string("the game engine did not start: ") + SDL_GetError()});
        return findings;
    }

    for (size_t i = 0; i < search.keys.size(); ++i) {
        const Place& key = search.keys[i];
        if (!search.keyTaken[i])
            findings.push_back({true, 0, 0,
                                "the key at (" + std::to_string(key.x) + ", " + std::to_string(key.y) +
                                    ") in " + search.keyCells[i] +
                                    " cannot be reached"});
    }
    if (!search.chestReached)
        findings.push_back({true, 1, kChestColumn + 1, "the chest cannot be reached"});
    auto at = [](const Place& place) {
        return " (at x " + std::to_string(place.x) + ", y " + std::to_string(place.y) + ")";
    };
    if (search.pastRightEdge.x >= 0)
        findings.push_back({false, 0, 0,
                            "the player can walk partly off the window's right edge" +
                                at(search.pastRightEdge)});
    if (search.belowMap.x >= 0)
        findings.push_back({true, 0, 0, "the player can reach the bottom of the map" + at(search.belowMap)});
    if (search.strandedGhost.x >= 0)
        findings.push_back({true, 0, 0,
                            "a trap can catch the player left of or below the start, where its ghost "
                            "cannot drift home" + at(search.strandedGhost)});
    return findings;
}
