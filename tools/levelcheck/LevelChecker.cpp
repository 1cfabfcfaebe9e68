#include "LevelChecker.h"

#include "ImageData.h"
#include "Tqz41kCollectibles.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>

namespace {
using Map = Tqz41kTileManager;
using Player = Tqz41kPlayer;

constexpr int kChestColumn = 14;
constexpr int kChestRow = 0;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr const char* kLevelFile = "level1.txt";  // the name the game reads its level from
// Positions searched: the window with a margin. Nothing in the map stops a
// player who has left it from going on down for ever, so the search has to.
constexpr int kMargin = 64;
constexpr int kSearchWidth = kWindowWidth + 2 * kMargin;
constexpr int kSearchHeight = kWindowHeight + 2 * kMargin;
constexpr int kArrowCount = 4;
constexpr int kArrows[kArrowCount] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN};
constexpr int kInputs = 1 << kArrowCount;  // every combination of the arrow keys held

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
                                    std::string("'") + letter +
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
    return node.x >= -kMargin && node.y >= -kMargin && node.x < kWindowWidth + kMargin &&
           node.y < kWindowHeight + kMargin;
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
        uint32_t& bits = seen[static_cast<size_t>(node.y + kMargin) * kSearchWidth +
                              static_cast<size_t>(node.x + kMargin)];
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

// Starts the game in the working folder (which must hold the level file), reads
// the key places from its roster, replaces the roster with the player and the
// keys alone, and searches.
void Run(LevelChecker::Result& result)
{
    // Keys are never drawn here; a picture that was never loaded stands in for
    // the game's own, which is private to it and equally empty in this folder.
    // Declared first: the keys that lend it go with the game.
    ImageData keyImage;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    auto game = std::make_unique<Tqz41kMain>();
    game->DisableAudio();
    if (game->Initialise("Vaultrun level check", kWindowWidth, kWindowHeight, nullptr, 0) != 0) {
        // After a failed start the engine allows nothing but destruction.
        result.failure = std::string("the game engine did not start: ") + SDL_GetError();
        return;
    }
    for (int i = 0; DisplayableObject* object = game->GetDisplayableObject(i); ++i) {
        if (dynamic_cast<Tqz41kCollectibles*>(object))
            result.keys.push_back({object->GetCurrentScreenX(), object->GetCurrentScreenY(), -1});
    }
    if (result.keys.size() != static_cast<size_t>(Player::KeysToFind)) {
        result.failure = "the game's roster does not hold " + std::to_string(Player::KeysToFind) + " keys";
        game->Deinitialise();
        return;
    }
    // Reads the level file as a run does.
    game->StartRun();

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

LevelChecker::Result LevelChecker::Check(std::string_view levelText)
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
    Run(result);
    return result;
}
