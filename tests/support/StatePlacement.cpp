// Baked into every test program: a client state change the game's table does not list fails
// the test that made it, unless a StatePlacement says the test placed the game there. (The
// game itself only logs it.)
#include "support/StatePlacement.h"

#include <core/ClientStateMachine.h>
#include <gtest/gtest.h>

namespace {
int gPlacements = 0;

const bool kWatching = [] {
    kavri3D::core::ClientStateMachine::setIllegalChangeHook([](const std::string& from, const std::string& to) {
        if (gPlacements == 0)
            ADD_FAILURE() << "illegal client state change from " << from << " to " << to;
    });
    return true;
}();
} // namespace

namespace zrktest {

StatePlacement::StatePlacement() { ++gPlacements; }
StatePlacement::~StatePlacement() { --gPlacements; }

} // namespace zrktest
