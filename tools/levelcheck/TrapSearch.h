#pragma once

#include "LevelChecker.h"
#include "Tqz41kTrap.h"

#include <cstdint>
#include <memory>
#include <vector>

class ImageData;
class Tqz41kCollectibles;
class Tqz41kMain;
class Tqz41kPlayer;

// Plays a level with its traps moving, from the start of a run, and finds the
// fastest winning route that no trap touches. The traps are periodic and move
// in step, so the search runs over (place, keys taken, trap phase), phase being
// the tick count modulo their period.
//
// Each step is one real pass of the game's objects: the player, the keys and
// the traps, set to the state searched. A step's place and keys do not depend
// on the traps, only whether it is hit does, so every (place, arrows, chest)
// is played once, and near a trap once for each phase as well.
class TrapSearch {
public:
    struct Place {
        int x = 0;
        int y = 0;
    };

    // game must have started a run (its level read); the search replaces its
    // objects with its own player, keys and traps at the places given, and
    // starts a run again after each win it plays. Its tables may grow to
    // about maxMegabytes (of 2^20 bytes).
    TrapSearch(Tqz41kMain& game, std::vector<Place> keyPlaces, std::vector<Place> trapPlaces,
               size_t maxMegabytes);
    ~TrapSearch();
    TrapSearch(const TrapSearch&) = delete;
    TrapSearch& operator=(const TrapSearch&) = delete;

    // Fills winTicks, the keys' ticks, route, hazards, tightest and trapPeriod;
    // or only failure, when the search would outgrow its bound or is stopped.
    void Run(LevelChecker::Result& result);

private:
    static constexpr int kToWin = -2;  // a step that wins the run
    static constexpr int kLost = -3;   // a step that leaves the searched area

    struct Step {
        int to = kLost;       // the spot reached, or kToWin, kLost
        uint8_t pickup = 0;   // keys taken by the step (bit i: key i)
        int hitMask = -1;     // index of its phases with a hit; -1: never hit
    };
    struct Spot;
    using State = uint32_t;  // spot << 5 | keys taken

    void BuildObjects();
    void FindTrapCycle();
    int SpotAt(int x, int y);
    const Step& StepFrom(int spot, bool chestOpen, unsigned input);
    void Expand(int spot, bool chestOpen);
    // One real pass; returns the step without its hit mask, and sets hit.
    Step Play(int x, int y, bool chestOpen, unsigned input, int phase, bool& hit);
    bool NearTrap(int x, int y) const;
    bool Hits(const Step& step, int phase) const;
    bool CanWait(int spot, bool chestOpen);

    size_t SearchBytes() const;
    bool Search(LevelChecker::Result& result);
    void TraceRoute(LevelChecker::Result& result);
    void FindHazards(LevelChecker::Result& result);
    void FindTightestWindow(LevelChecker::Result& result);

    Tqz41kMain& game;
    std::vector<Place> keyPlaces;
    std::vector<Place> trapPlaces;
    std::unique_ptr<ImageData> picture;  // never drawn; lent to keys and traps
    Tqz41kPlayer* player = nullptr;
    std::vector<Tqz41kCollectibles*> keys;
    std::vector<Tqz41kTrap*> traps;
    int levelChest = 0;
    unsigned allTaken = 0;

    int period = 1;
    std::vector<std::vector<Tqz41kTrap::State>> trapStates;  // [phase][trap]
    std::vector<int> samePlaces;  // [phase]: the first phase with every trap in the same place
    struct Sweep {
        int left = 0, right = 0, top = 0, bottom = 0;
    };
    std::vector<Sweep> sweeps;  // what each trap covers over its cycle

    std::vector<Spot> spots;
    std::vector<int> spotIndex;  // by SearchArea::IndexOf; -1 for none yet
    std::vector<uint64_t> hitBits;
    int hitWords = 1;

    size_t maxMegabytes = 0;
    size_t layerStates = 0;  // held in layers, all together
    std::vector<std::vector<State>> layers;  // the states first reached after each tick
    // [phase][spot]: a bit per set of keys taken. By phase first, since each
    // tick of the search has one phase and looks up many spots.
    std::vector<std::vector<uint32_t>> seen;
    State winFrom = 0;
    unsigned winInput = 0;
    std::vector<State> routeStates;  // before each tick of the route
};
