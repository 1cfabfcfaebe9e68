#include "TrapSearch.h"

#include "ImageData.h"
#include "SearchArea.h"
#include "Tqz41kCollectibles.h"
#include "Tqz41kLayout.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>

namespace {
using Map = Tqz41kTileManager;
using Player = Tqz41kPlayer;

constexpr int kChestColumn = Tqz41kLayout::ChestColumn;
constexpr int kChestRow = Tqz41kLayout::ChestRow;
constexpr int kKeyBits = 5;  // a State's low bits: the keys taken
static_assert(Player::KeysToFind <= kKeyBits, "a set of keys taken must fit a State's key bits");
// A step moves the player at most 4 pixels before the contact test (2 up or 4
// down, 2 sideways), and the test's points lie a pixel outside the sprite:
// farther than this from every trap's travel, no phase can hit.
constexpr int kNearTrap = 8;
constexpr size_t kBytesPerMegabyte = size_t{1} << 20;
// A cycle longer than this is not searched for; traps of the game repeat after 108.
constexpr int kLongestCycle = 100000;

// Seen bits of every set of keys that holds `taken`: a state reached before
// with more keys at the same place and phase can do all that this one can.
constexpr uint32_t Supersets(unsigned taken)
{
    uint32_t bits = 0;
    for (unsigned other = 0; other < 32; ++other) {
        if ((other & taken) == taken)
            bits |= 1u << other;
    }
    return bits;
}

bool SameStates(const std::vector<Tqz41kTrap::State>& a, const std::vector<Tqz41kTrap::State>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& one, const auto& two) {
        return one.y == two.y && one.movingDown == two.movingDown;
    });
}
}  // namespace

struct TrapSearch::Spot {
    int x = 0;
    int y = 0;
    bool expanded[2] = {false, false};  // by chest open
    Step steps[2][SearchArea::Inputs];
    // The different steps, each with the first input that takes it: many
    // combinations of arrows go to the same place.
    unsigned distinct[2][SearchArea::Inputs] = {};
    int distinctCount[2] = {0, 0};
};

TrapSearch::TrapSearch(Tqz41kMain& game, std::vector<Place> keyPlaces, std::vector<Place> trapPlaces,
                       size_t maxMegabytes)
    : game(game),
      keyPlaces(std::move(keyPlaces)),
      trapPlaces(std::move(trapPlaces)),
      picture(std::make_unique<ImageData>()),
      spotIndex(static_cast<size_t>(SearchArea::Width) * SearchArea::Height, -1),
      maxMegabytes(maxMegabytes)
{
    levelChest = game.GetTileMap().GetValue(kChestColumn, kChestRow);
    allTaken = (1u << this->keyPlaces.size()) - 1;
    BuildObjects();
    FindTrapCycle();
}

// The objects hold the picture; they go with the array before it does.
TrapSearch::~TrapSearch()
{
    game.DestroyOldObjects();
}

// The player first, then the keys, then the traps: the game's own order of
// update between the player and the rest.
void TrapSearch::BuildObjects()
{
    game.CreateObjectArray(static_cast<int>(1 + keyPlaces.size() + trapPlaces.size()));
    auto ownedPlayer = std::make_unique<Player>(&game);
    player = ownedPlayer.get();
    player->SetVisible(true);
    int slot = 0;
    game.StoreObjectInArray(slot++, std::move(ownedPlayer));
    keys.clear();
    for (const Place& place : keyPlaces) {
        auto key = std::make_unique<Tqz41kCollectibles>(&game, place.x, place.y, picture.get());
        keys.push_back(key.get());
        game.StoreObjectInArray(slot++, std::move(key));
    }
    traps.clear();
    for (const Place& place : trapPlaces) {
        auto trap = std::make_unique<Tqz41kTrap>(&game, place.x, place.y, picture.get());
        trap->SetVisible(true);
        traps.push_back(trap.get());
        game.StoreObjectInArray(slot++, std::move(trap));
    }
}

// Runs the traps' own motion until all are back in their starting state.
void TrapSearch::FindTrapCycle()
{
    auto snapshot = [this] {
        std::vector<Tqz41kTrap::State> states;
        for (const Tqz41kTrap* trap : traps)
            states.push_back(trap->GetState());
        return states;
    };
    sweeps.clear();
    for (const Tqz41kTrap* trap : traps)
        sweeps.push_back({trap->GetLeft(), trap->GetRight(), trap->GetTop(), trap->GetBottom()});
    trapStates = {snapshot()};
    while (static_cast<int>(trapStates.size()) < kLongestCycle) {
        for (size_t i = 0; i < traps.size(); ++i) {
            traps[i]->DoUpdate(0);
            Sweep& sweep = sweeps[i];
            sweep.left = std::min(sweep.left, traps[i]->GetLeft());
            sweep.right = std::max(sweep.right, traps[i]->GetRight());
            sweep.top = std::min(sweep.top, traps[i]->GetTop());
            sweep.bottom = std::max(sweep.bottom, traps[i]->GetBottom());
        }
        std::vector<Tqz41kTrap::State> states = snapshot();
        if (SameStates(states, trapStates.front()))
            break;
        trapStates.push_back(std::move(states));
    }
    period = static_cast<int>(trapStates.size());
    hitWords = (period + 63) / 64;
    // A contact depends on where the traps are, not on where they are going:
    // on the way down and on the way up they pass the same places.
    samePlaces.assign(static_cast<size_t>(period), 0);
    for (int phase = 0; phase < period; ++phase) {
        int first = 0;
        while (!std::equal(trapStates[static_cast<size_t>(first)].begin(),
                           trapStates[static_cast<size_t>(first)].end(),
                           trapStates[static_cast<size_t>(phase)].begin(),
                           [](const auto& a, const auto& b) { return a.y == b.y; }))
            ++first;
        samePlaces[static_cast<size_t>(phase)] = first;
    }
}

int TrapSearch::SpotAt(int x, int y)
{
    int& index = spotIndex[static_cast<size_t>(SearchArea::IndexOf(x, y))];
    if (index < 0) {
        index = static_cast<int>(spots.size());
        spots.push_back(Spot{x, y, {false, false}, {}});
    }
    return index;
}

bool TrapSearch::NearTrap(int x, int y) const
{
    return std::any_of(sweeps.begin(), sweeps.end(), [x, y](const Sweep& sweep) {
        return x - kNearTrap <= sweep.right && sweep.left <= x + Player::Width + kNearTrap &&
               y - kNearTrap <= sweep.bottom && sweep.top <= y + Player::Height + kNearTrap;
    });
}

TrapSearch::Step TrapSearch::Play(int x, int y, bool chestOpen, unsigned input, int phase, bool& hit)
{
    Player::State state;
    state.x = x;
    state.y = y;
    state.keysLeft = chestOpen ? 0 : Player::KeysToFind;
    player->SetState(state);
    for (Tqz41kCollectibles* key : keys)
        key->SetVisible(!chestOpen);
    for (size_t i = 0; i < traps.size(); ++i)
        traps[i]->SetState(trapStates[static_cast<size_t>(phase)][i]);
    game.GetTileMap().SetValue(kChestColumn, kChestRow, chestOpen ? Map::TileChestOpen : levelChest);
    for (int arrow = 0; arrow < SearchArea::ArrowCount; ++arrow)
        game.SetKeyPressed(SearchArea::Arrows[arrow], (input >> arrow & 1) != 0);

    game.UpdateAllObjects(0);
    hit = false;
    Step step;
    if (game.GetGameState() == Tqz41kMain::StateWon) {
        // The win rebuilt the game's roster and shut the chest: play on afresh.
        game.StartRun();
        BuildObjects();
        step.to = kToWin;
        return step;
    }
    const Player::State after = player->GetState();
    hit = after.ghost;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!chestOpen && !keys[i]->IsVisible())
            step.pickup |= static_cast<uint8_t>(1u << i);
    }
    step.to = SearchArea::Inside(after.x, after.y) ? SpotAt(after.x, after.y) : kLost;
    return step;
}

void TrapSearch::Expand(int spot, bool chestOpen)
{
    const int x = spots[static_cast<size_t>(spot)].x;
    const int y = spots[static_cast<size_t>(spot)].y;
    const bool near = NearTrap(x, y);
    for (unsigned input = 0; input < SearchArea::Inputs; ++input) {
        bool hit = false;
        Step step = Play(x, y, chestOpen, input, 0, hit);
        if (step.to != kToWin && near) {
            std::vector<uint64_t> mask(static_cast<size_t>(hitWords), 0);
            bool any = false;
            std::vector<char> hitAt(static_cast<size_t>(period), 0);
            for (int phase = 0; phase < period; ++phase) {
                const int same = samePlaces[static_cast<size_t>(phase)];
                if (same < phase)
                    hit = hitAt[static_cast<size_t>(same)] != 0;
                else if (phase > 0)
                    Play(x, y, chestOpen, input, phase, hit);
                hitAt[static_cast<size_t>(phase)] = hit ? 1 : 0;
                if (hit) {
                    mask[static_cast<size_t>(phase / 64)] |= uint64_t{1} << (phase % 64);
                    any = true;
                }
            }
            if (any) {
                step.hitMask = static_cast<int>(hitBits.size()) / hitWords;
                hitBits.insert(hitBits.end(), mask.begin(), mask.end());
            }
        }
        // spots may have grown: index afresh.
        spots[static_cast<size_t>(spot)].steps[chestOpen][input] = step;
    }
    Spot& done = spots[static_cast<size_t>(spot)];
    for (unsigned input = 0; input < SearchArea::Inputs; ++input) {
        const Step& step = done.steps[chestOpen][input];
        bool seenBefore = false;
        for (int i = 0; i < done.distinctCount[chestOpen] && !seenBefore; ++i) {
            const Step& other = done.steps[chestOpen][done.distinct[chestOpen][i]];
            seenBefore = other.to == step.to && other.pickup == step.pickup &&
                         other.hitMask == step.hitMask;
        }
        if (!seenBefore)
            done.distinct[chestOpen][done.distinctCount[chestOpen]++] = input;
    }
    done.expanded[chestOpen] = true;
}

const TrapSearch::Step& TrapSearch::StepFrom(int spot, bool chestOpen, unsigned input)
{
    if (!spots[static_cast<size_t>(spot)].expanded[chestOpen])
        Expand(spot, chestOpen);
    return spots[static_cast<size_t>(spot)].steps[chestOpen][input];
}

bool TrapSearch::Hits(const Step& step, int phase) const
{
    if (step.hitMask < 0)
        return false;
    const uint64_t word =
        hitBits[static_cast<size_t>(step.hitMask * hitWords + phase / 64)];
    return (word >> (phase % 64) & 1) != 0;
}

// Standing still keeps the player there and no phase hits it.
bool TrapSearch::CanWait(int spot, bool chestOpen)
{
    const Step& still = StepFrom(spot, chestOpen, 0);
    return still.to == spot && still.hitMask < 0;
}

void TrapSearch::Run(LevelChecker::Result& result)
{
    result.trapPeriod = period;
    const bool won = Search(result);
    if (!result.failure.empty() || LevelChecker::StopRequested())
        return;
    if (won) {
        TraceRoute(result);
        FindTightestWindow(result);
    }
    FindHazards(result);
}

// What the search's tables hold: the layers, the places with their steps and
// their seen bits at every phase, the hit masks. The rest is small and fixed.
size_t TrapSearch::SearchBytes() const
{
    return layerStates * sizeof(State) + spots.size() * (sizeof(Spot) + period * sizeof(uint32_t)) +
           hitBits.size() * sizeof(uint64_t);
}

// Breadth-first by ticks, so the phase of a layer is its depth modulo the period.
bool TrapSearch::Search(LevelChecker::Result& result)
{
    static constexpr auto supersets = [] {
        std::array<uint32_t, 32> bits{};
        for (unsigned taken = 0; taken < 32; ++taken)
            bits[taken] = Supersets(taken);
        return bits;
    }();
    seen.assign(static_cast<size_t>(period), {});
    auto firstVisit = [this](int spot, int phase, unsigned taken) {
        std::vector<uint32_t>& row = seen[static_cast<size_t>(phase)];
        if (static_cast<size_t>(spot) >= row.size())
            row.resize(spots.size(), 0);
        uint32_t& bits = row[static_cast<size_t>(spot)];
        if ((bits & supersets[taken]) != 0)
            return false;
        bits |= 1u << taken;
        return true;
    };

    const int start = SpotAt(Player::StartX, Player::StartY);
    firstVisit(start, 0, 0);
    layers = {{static_cast<State>(start) << kKeyBits}};
    for (int depth = 0; !layers.back().empty(); ++depth) {
        const int phase = depth % period;
        const int nextPhase = (depth + 1) % period;
        std::vector<State> next;
        const std::vector<State>& layer = layers.back();
        for (const State state : layer) {
            if (LevelChecker::StopRequested())
                return false;
            const int spot = static_cast<int>(state >> kKeyBits);
            const unsigned taken = state & allTaken;
            const bool chestOpen = taken == allTaken;
            if (!spots[static_cast<size_t>(spot)].expanded[chestOpen])
                Expand(spot, chestOpen);
            const Spot& from = spots[static_cast<size_t>(spot)];
            for (int choice = 0; choice < from.distinctCount[chestOpen]; ++choice) {
                const unsigned input = from.distinct[chestOpen][choice];
                const Step step = from.steps[chestOpen][input];
                if (step.to == kLost || Hits(step, phase))
                    continue;
                if (step.to == kToWin) {
                    result.winTicks = depth + 1;
                    winFrom = state;
                    winInput = input;
                    return true;
                }
                const unsigned after = taken | step.pickup;
                if (after != taken) {
                    for (size_t i = 0; i < result.keys.size(); ++i) {
                        if ((after >> i & 1) != 0 && result.keys[i].ticks < 0)
                            result.keys[i].ticks = depth + 1;
                    }
                    result.allKeysTaken = result.allKeysTaken || after == allTaken;
                }
                if (firstVisit(step.to, nextPhase, after))
                    next.push_back(static_cast<State>(step.to) << kKeyBits | after);
            }
        }
        // Every layer is kept for tracing the route back: no spare room in it.
        next.shrink_to_fit();
        layerStates += next.size();
        layers.push_back(std::move(next));
        if (SearchBytes() > maxMegabytes * kBytesPerMegabyte) {
            result.failure = "too large to search (more than " + std::to_string(maxMegabytes) + " MB)";
            return false;
        }
    }
    return false;
}

// Back from the winning state: in each earlier layer, a state with a step to
// the one after it.
void TrapSearch::TraceRoute(LevelChecker::Result& result)
{
    const int ticks = result.winTicks;
    result.route.assign(static_cast<size_t>(ticks), 0);
    routeStates.assign(static_cast<size_t>(ticks), 0);
    result.route.back() = winInput;
    routeStates.back() = winFrom;
    for (int depth = ticks - 1; depth > 0; --depth) {
        const State target = routeStates[static_cast<size_t>(depth)];
        const int phase = (depth - 1) % period;
        bool found = false;
        for (const State state : layers[static_cast<size_t>(depth - 1)]) {
            const unsigned taken = state & allTaken;
            const bool open = taken == allTaken;
            const Spot& from = spots[static_cast<size_t>(state >> kKeyBits)];  // expanded by Search
            for (int choice = 0; choice < from.distinctCount[open] && !found; ++choice) {
                const unsigned input = from.distinct[open][choice];
                const Step& step = from.steps[open][input];
                if (step.to >= 0 && !Hits(step, phase) &&
                    (static_cast<State>(step.to) << kKeyBits | (taken | step.pickup)) == target) {
                    result.route[static_cast<size_t>(depth - 1)] = input;
                    routeStates[static_cast<size_t>(depth - 1)] = state;
                    found = true;
                }
            }
            if (found)
                break;
        }
    }
    for (size_t i = 0; i < result.keys.size(); ++i) {
        for (int depth = 1; depth < ticks; ++depth) {
            if ((routeStates[static_cast<size_t>(depth)] >> i & 1) != 0) {
                result.keys[i].routeTicks = depth;
                break;
            }
        }
        if (result.keys[i].routeTicks < 0)
            result.keys[i].routeTicks = ticks;  // taken by the winning step itself
    }
    layers.clear();
    layers.shrink_to_fit();
}

// Splits the route at the places where the player can wait unhit; for each
// stretch between two, the run of consecutive phases, around the route's own,
// that lead through it unhit when its arrows are played unchanged.
void TrapSearch::FindTightestWindow(LevelChecker::Result& result)
{
    const int ticks = result.winTicks;
    auto stateAt = [this](int tick) { return routeStates[static_cast<size_t>(tick)]; };
    auto open = [this](State state) { return (state & allTaken) == allTaken; };
    auto spotOf = [](State state) { return static_cast<int>(state >> kKeyBits); };

    int from = 0;
    while (from < ticks) {
        int to = from + 1;
        while (to < ticks && !CanWait(spotOf(stateAt(to)), open(stateAt(to))))
            ++to;
        std::vector<bool> clear(static_cast<size_t>(period), true);
        for (int shift = 0; shift < period; ++shift) {
            for (int tick = from; tick < to && clear[static_cast<size_t>(shift)]; ++tick) {
                const Step& step = StepFrom(spotOf(stateAt(tick)), open(stateAt(tick)),
                                            result.route[static_cast<size_t>(tick)]);
                if (Hits(step, (tick + shift) % period))
                    clear[static_cast<size_t>(shift)] = false;
            }
        }
        int width = 1;
        while (width < period && clear[static_cast<size_t>(width)])
            ++width;
        for (int back = period - 1; width < period && back > 0 && clear[static_cast<size_t>(back)];
             --back)
            ++width;
        if (width < period && (result.tightest.ticks < 0 || width < result.tightest.ticks)) {
            const Spot& spot = spots[static_cast<size_t>(spotOf(stateAt(from)))];
            result.tightest = {width, from, to, spot.x, spot.y};
        }
        from = to;
    }
}

// Every place the search stood on where standing still is hit, by the cell
// under the player's feet.
void TrapSearch::FindHazards(LevelChecker::Result& result)
{
    const Map& map = game.GetTileMap();
    std::map<std::pair<int, int>, LevelChecker::Hazard> byCell;  // by (row, column)
    for (size_t index = 0; index < spots.size(); ++index) {
        const Spot& spot = spots[index];
        bool hazard = false;
        for (int chest = 0; chest < 2; ++chest) {
            const Step& still = spot.steps[chest][0];
            hazard = hazard || (spot.expanded[chest] && still.to == static_cast<int>(index) &&
                                still.hitMask >= 0);
        }
        if (!hazard)
            continue;
        const int feet = spot.y + Player::Height;
        auto holds = [&map](int column, int row) {
            const int cell = map.GetValue(column, row);
            return cell == Map::TileGrass || cell == Map::TileLadder;
        };
        int column = map.MapXForScreenX(spot.x);
        int row = map.MapYForScreenY(feet);
        if (!holds(column, row)) {
            const int right = map.MapXForScreenX(spot.x + Player::Width - 1);
            if (holds(right, row))
                column = right;
            else
                row = map.MapYForScreenY(feet - 1);  // on a ladder: the cell it hangs in
        }
        // A trap that starts at or below the feet rises to the player.
        bool over = false;
        for (size_t i = 0; i < traps.size(); ++i) {
            const Sweep& sweep = sweeps[i];
            const bool reaches = spot.x <= sweep.right && sweep.left <= spot.x + Player::Width &&
                                 spot.y <= sweep.bottom && sweep.top <= spot.y + Player::Height;
            over = over || (reaches && trapPlaces[i].y >= feet);
        }
        auto [entry, added] = byCell.try_emplace({row, column});
        LevelChecker::Hazard& cell = entry->second;
        if (added)
            cell = {over, column, row, spot.x, spot.x, spot.y, spot.y};
        cell.overTrap = cell.overTrap || over;
        cell.firstX = std::min(cell.firstX, spot.x);
        cell.lastX = std::max(cell.lastX, spot.x);
        cell.firstY = std::min(cell.firstY, spot.y);
        cell.lastY = std::max(cell.lastY, spot.y);
    }
    for (const auto& [cell, hazard] : byCell)
        result.hazards.push_back(hazard);
}
