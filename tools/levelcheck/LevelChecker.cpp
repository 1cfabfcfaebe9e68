#include "LevelChecker.h"

#include "SearchArea.h"
#include "TrapSearch.h"

#include "ImageData.h"
#include "Tqz41kCollectibles.h"
#include "Tqz41kLayout.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"
#include "Tqz41kTrap.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <bitset>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>

namespace {
// Set from a signal handler: lock-free by its type.
volatile std::sig_atomic_t stopRequested = 0;

using Map = Tqz41kTileManager;
using Player = Tqz41kPlayer;

constexpr int kChestColumn = Tqz41kLayout::ChestColumn;
constexpr int kChestRow = Tqz41kLayout::ChestRow;
constexpr int kWindowWidth = SearchArea::WindowWidth;
constexpr int kWindowHeight = SearchArea::WindowHeight;
constexpr const char* kLevelFile = "level1.txt";  // the name the game reads its level from
constexpr int kMargin = SearchArea::Margin;
constexpr int kSearchWidth = SearchArea::Width;
constexpr int kSearchHeight = SearchArea::Height;
constexpr int kArrowCount = SearchArea::ArrowCount;
constexpr const int* kArrows = SearchArea::Arrows;
constexpr int kInputs = SearchArea::Inputs;

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

// A fresh folder under /tmp made the working folder for this object's life, so
// the level file the game reads and the "Score.txt" a win writes stay in it.
// The old working folder comes back and the folder goes, whatever it holds.
class PrivateWorkingFolder {
public:
    PrivateWorkingFolder()
    {
        // O_PATH: coming back must work even where the old folder is not readable.
        oldFolder = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        char name[] = "/tmp/vaultrun-levelcheck-XXXXXX";
        if (oldFolder < 0 || !mkdtemp(name))
            return;
        path = name;
        entered = chdir(name) == 0;
    }
    ~PrivateWorkingFolder()
    {
        if (oldFolder >= 0) {
            // Nothing better to do when the old folder is gone; the report still stands.
            if (fchdir(oldFolder) != 0)
                std::perror("vaultrun-levelcheck: cannot return to the working folder");
            close(oldFolder);
        }
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    PrivateWorkingFolder(const PrivateWorkingFolder&) = delete;
    PrivateWorkingFolder& operator=(const PrivateWorkingFolder&) = delete;

    bool Entered() const { return entered; }

private:
    int oldFolder = -1;
    std::string path;
    bool entered = false;
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

// A byte of the level as a warning shows it: printable ASCII as it is, any
// other byte as \xNN, so that a NUL does not cut the line short and an escape
// does not reach the terminal.
std::string Shown(char letter)
{
    constexpr unsigned char kFirstPrintable = 0x20, kLastPrintable = 0x7E;
    const auto byte = static_cast<unsigned char>(letter);
    if (byte >= kFirstPrintable && byte <= kLastPrintable)
        return std::string(1, letter);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    return escaped;
}

void CheckShape(std::string_view text, std::vector<LevelChecker::Warning>& warnings)
{
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.size() < static_cast<size_t>(Map::MapRows))
        warnings.push_back({0, 0,
                            "has " + std::to_string(lines.size()) + " lines, the map " +
                                std::to_string(Map::MapRows) + " rows; missing cells are solid"});
    if (lines.size() > static_cast<size_t>(Map::MapRows))
        warnings.push_back({Map::MapRows + 1, 0, "lines after the 11th are ignored"});

    for (int row = 0; row < Map::MapRows && row < static_cast<int>(lines.size()); ++row) {
        const std::string_view line = lines[static_cast<size_t>(row)];
        if (line.size() < static_cast<size_t>(Map::MapColumns))
            warnings.push_back({row + 1, 0,
                                "has " + std::to_string(line.size()) + " cells, a row " +
                                    std::to_string(Map::MapColumns) + "; missing cells are solid"});
        if (line.size() > static_cast<size_t>(Map::MapColumns))
            warnings.push_back({row + 1, Map::MapColumns + 1, "characters after the 15th are ignored"});
        for (int column = 0; column < Map::MapColumns && column < static_cast<int>(line.size()); ++column) {
            const char letter = line[static_cast<size_t>(column)];
            const bool chestCell = column == kChestColumn && row == kChestRow;
            if (chestCell && letter != 'e')
                warnings.push_back({row + 1, column + 1,
                                    "the top-right cell should hold the closed chest 'e'"});
            else if (!chestCell && (letter == 'e' || letter == 'h'))
                warnings.push_back({row + 1, column + 1,
                                    "a chest here never opens: the keys open the top-right one"});
            else if (letter != 'd' && letter != 'v' && letter != 'w' && !chestCell)
                warnings.push_back({row + 1, column + 1,
                                    "'" + Shown(letter) +
                                        "' is no tile: drawn as sky, but solid to the player"});
        }
    }
}

// A search state: where the player stands and which keys are taken (bit i: key i).
struct Node {
    int x = 0;
    int y = 0;
    unsigned taken = 0;
};

// The left edge is not judged: the game lets any player step 2 pixels past it
// (column 0 is read for pixel -1) and no further, whatever the level.
bool InsideWindow(const Node& node)
{
    return node.y >= 0 && node.x + Player::Width <= kWindowWidth &&
           node.y + Player::Height <= kWindowHeight;
}

bool InsideSearch(const Node& node)
{
    return SearchArea::Inside(node.x, node.y);
}

std::string At(const std::optional<Node>& node)
{
    return "(" + std::to_string(node->x) + ", " + std::to_string(node->y) + ")";
}

// Breadth-first over (position, keys taken) from the start, one real object
// pass per arrow combination, until the first pass that wins. Each pass is set
// up from the state alone, so a state's successors do not depend on the path.
void Search(Tqz41kMain& game, Player& player, const std::vector<Tqz41kCollectibles*>& keys,
            LevelChecker::Result& result)
{
    Map& map = game.GetTileMap();
    const int levelChest = map.GetValue(kChestColumn, kChestRow);
    const unsigned allTaken = (1u << keys.size()) - 1;
    // One bit per set of keys taken, per searched position.
    static_assert(Player::KeysToFind <= 5, "a set of keys taken must fit one 32-bit word");
    std::vector<uint32_t> seen(static_cast<size_t>(kSearchWidth) * kSearchHeight, 0);
    auto firstVisit = [&seen](const Node& node) {
        uint32_t& bits = seen[static_cast<size_t>(SearchArea::IndexOf(node.x, node.y))];
        const uint32_t bit = 1u << node.taken;
        const bool first = (bits & bit) == 0;
        bits |= bit;
        return first;
    };
    std::optional<Node> outsideWindow;  // the first place reached partly outside the window
    std::optional<Node> lost;           // the first place beyond the searched area

    // One pass from the node with the arrows of input held; true when it wins.
    auto expand = [&](const Node& node, int input, int depth, std::vector<Node>& next) {
        Player::State state;
        state.x = node.x;
        state.y = node.y;
        state.keysLeft = Player::KeysToFind - static_cast<int>(std::bitset<32>(node.taken).count());
        player.SetState(state);
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i]->SetVisible((node.taken >> i & 1) == 0);
        map.SetValue(kChestColumn, kChestRow, node.taken == allTaken ? Map::TileChestOpen : levelChest);
        for (int arrow = 0; arrow < kArrowCount; ++arrow)
            game.SetKeyPressed(kArrows[arrow], (input >> arrow & 1) != 0);

        game.UpdateAllObjects(0);
        // A win rebuilds the roster: player and keys are gone, touch neither.
        if (game.GetGameState() == Tqz41kMain::StateWon)
            return true;

        const Player::State after = player.GetState();
        Node reached{after.x, after.y, node.taken};
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i]->IsVisible())
                continue;
            reached.taken |= 1u << i;
            if (result.keys[i].ticks < 0)
                result.keys[i].ticks = depth + 1;
        }
        result.allKeysTaken = result.allKeysTaken || reached.taken == allTaken;
        if (!outsideWindow && !InsideWindow(reached))
            outsideWindow = reached;
        if (!InsideSearch(reached)) {
            if (!lost)
                lost = reached;
        } else if (firstVisit(reached)) {
            next.push_back(reached);
        }
        return false;
    };

    std::vector<Node> layer{{Player::StartX, Player::StartY, 0}};
    std::vector<Node> next;
    firstVisit(layer.front());
    for (int depth = 0; !layer.empty() && result.winTicks < 0; ++depth, layer.swap(next), next.clear()) {
        for (size_t n = 0; n < layer.size() && result.winTicks < 0; ++n) {
            if (LevelChecker::StopRequested())
                return;
            for (int input = 0; input < kInputs && result.winTicks < 0; ++input) {
                if (expand(layer[n], input, depth, next))
                    result.winTicks = depth + 1;
            }
        }
    }
    if (lost)
        result.warnings.push_back({0, 0, "the player can leave the map for good; followed only " +
                                             std::to_string(kMargin) +
                                             " pixels past the window, to " + At(lost)});
    else if (outsideWindow)
        result.warnings.push_back(
            {0, 0, "the player can go partly outside the window, at " + At(outsideWindow) + " first"});
}

// Warnings for a level maker that only the map read by the game can tell: a
// ladder that leads into a solid cell, and a key drawn over a solid cell.
void WarnAboutPlaces(const Map& map, const std::vector<LevelChecker::Key>& keys,
                     std::vector<LevelChecker::Warning>& warnings)
{
    for (int row = 0; row < Map::MapRows; ++row) {
        for (int column = 0; column < Map::MapColumns; ++column) {
            if (map.GetValue(column, row) != Map::TileLadder ||
                (row > 0 && map.GetValue(column, row - 1) == Map::TileLadder))
                continue;
            if (row == 0 || map.GetValue(column, row - 1) != Map::TileSky)
                warnings.push_back({row + 1, column + 1,
                                    "the top of this ladder is inside ground: nothing to climb out into"});
        }
    }
    constexpr int kKeyHalfWidth = 10, kKeyHalfHeight = 15;  // the key picture, centred on its place
    for (size_t i = 0; i < keys.size(); ++i) {
        const LevelChecker::Key& key = keys[i];
        for (int row = map.MapYForScreenY(key.y - kKeyHalfHeight);
             row <= map.MapYForScreenY(key.y + kKeyHalfHeight - 1); ++row) {
            for (int column = map.MapXForScreenX(key.x - kKeyHalfWidth);
                 column <= map.MapXForScreenX(key.x + kKeyHalfWidth - 1); ++column) {
                const int cell = map.GetValue(column, row);
                if (cell != Map::TileSky && cell != Map::TileLadder)
                    warnings.push_back({row + 1, column + 1,
                                        "key " + std::to_string(i + 1) + " at (" +
                                            std::to_string(key.x) + ", " + std::to_string(key.y) +
                                            ") is drawn inside this block"});
            }
        }
    }
}

void SearchWithTraps(Tqz41kMain& game, const std::vector<TrapSearch::Place>& traps,
                     size_t maxMegabytes, LevelChecker::Result& result)
{
    WarnAboutPlaces(game.GetTileMap(), result.keys, result.warnings);
    std::vector<TrapSearch::Place> keys;
    for (const LevelChecker::Key& key : result.keys)
        keys.push_back({key.x, key.y});
    TrapSearch search(game, keys, traps, maxMegabytes);
    search.Run(result);
    for (const LevelChecker::Hazard& hazard : result.hazards) {
        if (!hazard.overTrap)
            continue;  // under a trap's stroke: what timing a trap means; listed by the caller
        result.warnings.push_back({hazard.row + 1, hazard.column + 1,
                                   "a trap comes up through this floor and hits a player standing still on it (" +
                                       LevelChecker::HazardPlaces(hazard) + ")"});
    }
}

// Starts the game in the working folder (which must hold the level file), reads
// the key and trap places from its roster, replaces the roster with the player
// and the keys alone (and the traps, in the mode with traps), and searches.
void Run(LevelChecker::Mode mode, size_t maxMegabytes, LevelChecker::Result& result)
{
    // Keys are never drawn here; a picture that was never loaded stands in for
    // the game's own, which is private to it and equally empty in this folder.
    // Declared first: the keys that lend it go with the game.
    ImageData keyImage;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    // SDL would turn SIGINT and SIGTERM into quit events, which no one here reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    auto game = std::make_unique<Tqz41kMain>();
    game->DisableAudio();
    if (game->Initialise("Vaultrun level check", kWindowWidth, kWindowHeight, nullptr, 0) != 0) {
        // After a failed start the engine allows nothing but destruction.
        result.failure = std::string("the game engine did not start: ") + SDL_GetError();
        return;
    }
    std::vector<TrapSearch::Place> traps;
    for (int i = 0; DisplayableObject* object = game->GetDisplayableObject(i); ++i) {
        if (dynamic_cast<Tqz41kCollectibles*>(object))
            result.keys.push_back({object->GetCurrentScreenX(), object->GetCurrentScreenY(), -1});
        if (dynamic_cast<Tqz41kTrap*>(object))
            traps.push_back({object->GetCurrentScreenX(), object->GetCurrentScreenY()});
    }
    if (result.keys.size() != static_cast<size_t>(Player::KeysToFind)) {
        result.failure = "the game's roster does not hold " + std::to_string(Player::KeysToFind) + " keys";
        game->Deinitialise();
        return;
    }
    // Reads the level file as a run does.
    game->StartRun();
    if (mode == LevelChecker::Mode::Traps) {
        SearchWithTraps(*game, traps, maxMegabytes, result);
        game->Deinitialise();
        return;
    }

    game->CreateObjectArray(1 + Player::KeysToFind);
    auto ownedPlayer = std::make_unique<Player>(game.get());
    Player* player = ownedPlayer.get();
    player->SetVisible(true);
    game->StoreObjectInArray(0, std::move(ownedPlayer));
    std::vector<Tqz41kCollectibles*> keys;
    for (const LevelChecker::Key& place : result.keys) {
        auto key = std::make_unique<Tqz41kCollectibles>(game.get(), place.x, place.y, &keyImage);
        keys.push_back(key.get());
        game->StoreObjectInArray(static_cast<int>(keys.size()), std::move(key));
    }
    Search(*game, *player, keys, result);
    game->Deinitialise();
}
}  // namespace

std::string LevelChecker::HazardPlaces(const Hazard& hazard)
{
    std::string places = "x " + std::to_string(hazard.firstX);
    if (hazard.lastX != hazard.firstX)
        places += " to " + std::to_string(hazard.lastX);
    places += ", y " + std::to_string(hazard.firstY);
    if (hazard.lastY != hazard.firstY)
        places += " to " + std::to_string(hazard.lastY);
    return places;
}

void LevelChecker::RequestStop()
{
    stopRequested = 1;
}

bool LevelChecker::StopRequested()
{
    return stopRequested != 0;
}

LevelChecker::Result LevelChecker::Check(std::string_view levelText, Mode mode, size_t maxMegabytes)
{
    Result result;
    CheckShape(levelText, result.warnings);

    const PrivateWorkingFolder folder;
    if (!folder.Entered()) {
        result.failure = "cannot make a private working folder under /tmp";
        return result;
    }
    {
        std::ofstream level(kLevelFile, std::ios::binary);
        level.write(levelText.data(), static_cast<std::streamsize>(levelText.size()));
        level.close();
        if (!level) {
            result.failure = "cannot write the level into the private working folder";
            return result;
        }
    }
    const QuietStdout quiet;
    Run(mode, maxMegabytes, result);
    if (StopRequested())
        result.failure = "stopped";
    return result;
}
