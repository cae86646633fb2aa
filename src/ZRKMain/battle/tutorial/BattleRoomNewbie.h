#pragma once
#include <core/ScopedEventConnection.h>
#include <boost/shared_ptr.hpp>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <CEGUI/Event.h>
#include <land/LandEventId.h>
#include <util/Singleton.h>
#include "battle/BattleRoom.h"

namespace CEGUI {
class EventArgs;
class KeyEventArgs;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {

namespace gui {
class IGuideView;
}
class TutorialCond;
class TutorialShotGuide;
class TutorialTask;
class ZRKBasicSim;
class ZRKPlayerAI;
class ZRKRoomStateProxy;
struct TutorialStep;

/// The client state "battle_newbie": the offline tutorial. A battle whose room the game writes
/// itself; the player fights scripted dolls while a step runner walks one lesson of the
/// tutorial's script, then reports the lesson and goes back to the lobby.
class BattleRoomNewbie : public BattleRoom, public Singleton<BattleRoomNewbie> {
public:
    // Step flags.
    enum StepFlag {
        STEP_CLICK = 0x1, ///< a key or click after 0.8 s goes on
        STEP_TASK = 0x2,
        STEP_TIMED = 0x4,      ///< ends by itself after its duration
        STEP_COMPLETE = 0x10,  ///< leaving shows the step-complete effect
        STEP_FROZEN = 0x20,    ///< the controller is off and the doll frozen
        STEP_KEEP_TURN = 0x40, ///< sim flag 0x2000000
        STEP_ENERGY = 0x80,    ///< energy consumed at the full rate
        STEP_MAY_FIRE = 0x100, ///< sim flag 0x1000000
        STEP_MOUSE = 0x200,    ///< the mouse is the player's own
        STEP_ENERGY3 = 0x400,  ///< energy consumed three times as fast
        STEP_FOCUS = 0x800     ///< the camera's focus mode
    };
    static constexpr int kLandEventReady = LandEventId::LessonReady; ///< the tutorial's "everyone has loaded"
    static constexpr float kClickGate = 0.8f;
    /// The guide box's window (the GUI's "TutorialGuide").
    static constexpr const char* kGuideBox = "TutorialGuide";

    BattleRoomNewbie();
    ~BattleRoomNewbie() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;
    void registerEventHandlers() override;
    void unregisterEventHandlers() override;
    bool filterLandEvent(core::Event& event) override;
    bool filterDollEvent(core::Event&) override { return false; }
    bool filterNpcEvent(core::Event&) override { return false; }
    void onLandLoadState(int land, int state) override;
    /// A lesson is no fight: closing the window asks whether to quit, as in the lobby (lesson 0
    /// has no Escape, and without this a new player had no way out).
    bool queryFlag() override { return true; }
    /// Under the guide box while it shows a step: no head bubble covers its words.
    float getHudCeiling() const override;
    /// The reply of the default-look query: the own doll's look, then the local room and land.
    virtual void createNewbieAvatar(bool error, const std::string& reply);

    void onEnterRoom(const std::string& room, int code, const std::string& params) override;
    /// The tutorial makes its land when the look is known, not when a room is ready.
    void onRoomReady(const std::string&) override {}

    // The step runner.
    bool enterStep();
    void leaveStep();
    void nextStep();
    void updateStep();
    /// The current step is done: the next frame goes on to the next one.
    void setStepDone() { mStepDone = true; }
    /// Whether a step of the script is running now.
    bool isStepCurrent() const;
    /// The step's question is up: the mouse is free for it, the figure stands, the battle's
    /// sight and head bubbles are off the screen, and only the right answer goes on.
    bool isAsking() const { return mAsking; }

    TutorialTask* findTask(const char* keyword) const;
    TutorialCond* findCond(const char* keyword) const;
    boost::shared_ptr<ZRKPlayerAI> findAI(const char* keyword) const;

    bool onKeyDown(const CEGUI::KeyEventArgs& args);
    bool onMouseDown(const CEGUI::EventArgs& args);

    // What the tasks and conditions use.
    std::string seatName(int index) const;
    /// A scripted doll: "team,spawn node,name index,looks..."; its id, or "" when none is made.
    std::string createTutorialNpc(const std::string& args);
    void faceEachOther(const std::string& id);
    void showGuideHint(const std::string& kind, int id);
    /// A shooting step's frame: the line under the step's text says how to lay the shot at the
    /// aim (turn, barrel, how long to hold Space) and the view keeps the target (foot to head,
    /// its figure or null) below the guide box.
    void guideShot(const yake::math::Vector3& aim, const yake::math::Vector3& foot, const yake::math::Vector3& head,
                   const ZRKBasicSim* target);
    const TutorialShotGuide& getShotGuide() const { return *mShotGuide; }
    /// The own player seated alone in the local room, its parameters and state for the lesson.
    void setupLocalRoom();
    /// The local room written by the tutorial; null without one.
    ZRKRoomStateProxy* localRoom() const;
    gui::IGuideView* getGuide() const;

    // What tests look at.
    int getLesson() const { return mLesson; }
    int getStepIndex() const { return mStepIndex; }
    int getJumpTarget() const { return mJumpTarget; }
    bool isStepDone() const { return mStepDone; }
    bool isChatMode() const { return mChatMode; }
    void setChatMode(bool on) { mChatMode = on; }
    bool isChatDone() const { return mChatDone; }
    void setChatDone(bool done) { mChatDone = done; }
    bool isFacingEnabled() const { return mFacingEnabled; }
    float getStepDeadline() const { return mStepDeadline; }
    const std::vector<std::string>& getSeats() const { return mSeats; }
    std::size_t getTaskCount() const { return mTasks.size(); }
    std::size_t getCondCount() const { return mConds.size(); }
    int getLessonsReported() const { return mLessonsReported; }
    int getStepCompleteCount() const { return mStepCompleteCount; }
    /// Steps entered since the room was made.
    int getStepsEntered() const { return mStepsEntered; }
    /// The registries without a scene (tests of the script's parts).
    void fillRegistriesForTest() { fillRegistries(); }

private:
    const TutorialStep* currentStep() const;
    void showStepComplete();
    void fillRegistries();
    /// The lesson is over: reported, the lent arms taken back, out to the lobby or back.
    void finishLesson(bool report);
    void applyStepFlags(int flags);
    /// Follows the question box: clears the screen and frees the mouse while it is up.
    void updateQuestion();
    /// Drops the keys let go since the step began from those held at its start.
    void forgetReleasedKeys();
    /// The lesson's lent weapons get their full load of shells back once they are empty.
    void refillLentWeapons();
    std::unique_ptr<TutorialShotGuide> mShotGuide;

    int mLesson = 0;
    int mStepIndex = -1;
    int mJumpTarget = -1;
    float mStepStartTime = -1.0f;
    float mStepLeaveTime = -1.0f;
    float mStepDeadline = -1.0f;
    bool mStepDone = false;
    bool mChatMode = false;
    bool mFacingEnabled = false;
    bool mChatDone = false;
    std::list<core::ScopedEventConnection> mConnections; ///< the top window's clicks while the scene is up
    int mSeriateNumber = 0;
    std::vector<std::string> mSeats;
    int mNpcCounter = 1;
    std::map<std::string, boost::shared_ptr<TutorialTask>> mTasks;
    std::map<std::string, boost::shared_ptr<TutorialCond>> mConds;
    std::map<std::string, boost::shared_ptr<ZRKPlayerAI>> mAis;
    bool mGuideLoaded = false; ///< the "guide" pictures are ours to drop
    bool mSceneUp = false;
    int mLessonsReported = 0;
    int mStepCompleteCount = 0;
    int mStepsEntered = 0;
    bool mAsking = false;
    bool mMouseFree = false;       ///< the question or a box has the mouse
    bool mSightHidden = false;     ///< the question took the sight off the screen
    std::set<int> mKeysHeldAtStep; ///< the figure's keys held when the step began, still held
};

} // namespace zrk
} // namespace kavri3D
