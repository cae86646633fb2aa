#pragma once

namespace zrktest {

/// Every test program fails the test that makes a change of client state the game's table
/// (core::ClientStateTable) does not list. While a StatePlacement lives such a change is only
/// logged: for a fixture that places the game straight into a state to try one thing there (a
/// room alone, a log-in again without the log-out between), never for the player's way.
class StatePlacement {
public:
    StatePlacement();
    ~StatePlacement();
    StatePlacement(const StatePlacement&) = delete;
    StatePlacement& operator=(const StatePlacement&) = delete;
};

} // namespace zrktest
