// The game's client states and their legal changes: what the machine judges, what it does with
// an illegal change (logs it, counts it, tells the tests, and still makes it), and the table's
// own soundness.
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <set>
#include <core/ClientStateMachine.h>
#include <core/ClientStateTable.h>
#include <yake/Logger.h>

using namespace kavri3D::core;
using T = ClientStateTable;

namespace {

class EnteredState : public ClientState {
public:
    std::string params;
    void onEnter(const std::string& p) override { params = p; }
};

/// A machine holding every state of the table, with the tests' hook swapped for a recorder.
struct GameMachine : ::testing::Test {
    ClientStateMachine machine;
    std::vector<std::pair<std::string, std::string>> reported;
    ClientStateMachine::IllegalChangeHook testsHook;
    yake::logging::logger& log = yake::logging::logger::instance();

    GameMachine()
    {
        std::size_t count = 0;
        const char* const* states = T::states(count);
        for (std::size_t i = 0; i < count; ++i)
            machine.addState(states[i], boost::make_shared<EnteredState>());
        testsHook = ClientStateMachine::setIllegalChangeHook(
            [this](const std::string& from, const std::string& to) { reported.emplace_back(from, to); });
        log.enableAllSeverities();
        log.startCapture();
    }
    ~GameMachine() override
    {
        log.stopCapture();
        ClientStateMachine::setIllegalChangeHook(testsHook);
    }
    void go(const char* state, const std::string& params = std::string())
    {
        ASSERT_TRUE(machine.changeState(state, params));
        machine.update(0.0f);
    }
};

} // namespace

TEST_F(GameMachine, APlayersRoadThroughTheLobbyAndBackIsLegal)
{
    const std::size_t before = ClientStateMachine::illegalChangeCount();
    for (const char* state :
         {T::kLogon, T::kCreateChar, T::kTutorial, T::kArea, T::kPlayerHall, T::kPersonalRoom, T::kBattle,
          T::kPersonalRoom, T::kPlayerHall, T::kTutorial, T::kPlayerHall, T::kBattle, T::kArea, T::kLogon})
        go(state);
    EXPECT_EQ(machine.currentStateName(), T::kLogon);
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(ClientStateMachine::illegalChangeCount(), before);
    EXPECT_EQ(log.countCaptured("fsm", ""), 0u);
}

TEST_F(GameMachine, AnIllegalChangeIsLoggedCountedAndReportedYetStillMade)
{
    go(T::kLogon);
    const std::size_t before = ClientStateMachine::illegalChangeCount();
    go(T::kBattle, "bag=1&prev=logon"); // a battle is never reached from log-in
    EXPECT_EQ(machine.currentStateName(), T::kBattle);
    EXPECT_EQ(boost::static_pointer_cast<EnteredState>(machine.currentState())->params, "bag=1&prev=logon");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], std::make_pair(std::string(T::kLogon), std::string(T::kBattle)));
    EXPECT_EQ(ClientStateMachine::illegalChangeCount(), before + 1);
    EXPECT_EQ(log.countCaptured("fsm", "illegal client state change from logon to battle"), 1u);

    // Judged when asked for, against the state the game stands in: told at once, though a second
    // change asked for before the next frame is the one made.
    go(T::kPersonalRoom);
    machine.changeState(T::kCreateChar);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[1], std::make_pair(std::string(T::kPersonalRoom), std::string(T::kCreateChar)));
    go(T::kPlayerHall);
    EXPECT_EQ(reported.size(), 2u);
    EXPECT_EQ(machine.currentStateName(), T::kPlayerHall);
}

TEST_F(GameMachine, AThrowingHookIsLoggedAndTheChangeStillMade)
{
    ClientStateMachine::setIllegalChangeHook(
        [](const std::string&, const std::string&) { throw std::runtime_error("hook"); });
    go(T::kArea);
    go(T::kPersonalRoom);
    EXPECT_EQ(machine.currentStateName(), T::kPersonalRoom);
    EXPECT_EQ(log.countCaptured("fsm", "reporting the change to zrk_personalroom: hook"), 1u);
}

TEST(ClientStateTable, TheFirstStateAndStatesOutsideTheGameAreNotJudged)
{
    for (const char* state : {T::kLogon, T::kBattle, T::kTutorial})
        EXPECT_TRUE(T::isLegal("", state)) << state;
    EXPECT_TRUE(T::isLegal("a", T::kBattle));
    EXPECT_TRUE(T::isLegal(T::kLogon, "b"));
    EXPECT_FALSE(T::isLegal(T::kArea, T::kBattle));
    EXPECT_FALSE(T::isLegal(T::kBattle, T::kBattle));
    EXPECT_FALSE(T::isState(""));
    EXPECT_FALSE(T::isState("Logon"));
}

TEST(ClientStateTable, EveryChangeJoinsTwoOfItsStatesOnceAndEveryStateIsReachedAndLeft)
{
    std::size_t stateCount = 0, changeCount = 0;
    const char* const* states = T::states(stateCount);
    const T::Change* changes = T::changes(changeCount);
    std::set<std::string> names(states, states + stateCount);
    EXPECT_EQ(names.size(), stateCount);
    std::set<std::pair<std::string, std::string>> seen;
    std::set<std::string> reached, left;
    for (std::size_t i = 0; i < changeCount; ++i) {
        EXPECT_TRUE(names.count(changes[i].from)) << changes[i].from;
        EXPECT_TRUE(names.count(changes[i].to)) << changes[i].to;
        EXPECT_TRUE(seen.emplace(changes[i].from, changes[i].to).second) << changes[i].from << " to " << changes[i].to;
        left.insert(changes[i].from);
        reached.insert(changes[i].to);
    }
    EXPECT_EQ(reached, names);
    EXPECT_EQ(left, names);
    // A lost link falls back to log-in from everywhere.
    for (const std::string& state : names)
        EXPECT_TRUE(T::isLegal(state, T::kLogon)) << state;
}
