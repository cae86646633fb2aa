#pragma once
// A rookie at the keyboard and mouse, played through the lessons by X events into the game
// window: he clicks on the trainers' words, tries the answers of a question in turn, walks to
// the marked place or crate, jumps, brings the foe under the sight, and lays his shots at the
// nearest foe or the rope from the wind, angle and force the game shows. He reads the game's
// state to steer, as a player reads the screen, and calls no handler.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cmath>
#include <core/BlackBoard.h>
#include <functional>
#include <land/DollConstants.h>
#include <land/WeaponState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <set>
#include <string>

#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialPickTask.h"
#include "battle/tutorial/TutorialStep.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/XWindowInput.h" // last: X11's macros

namespace zrktest {

using namespace kavri3D;
using namespace kavri3D::zrk;

constexpr float kPi = 3.14159265f;

/// Where a point of the scene is drawn in the window; false when it is behind the camera or
/// outside the view.
inline bool onScreen(Ogre::Camera* camera, const yake::math::Vector3& at, int w, int h, int& x, int& y)
{
    if (!camera)
        return false;
    const Ogre::Vector3 p(at.x, at.y, at.z);
    const Ogre::Vector3 eye = camera->getViewMatrix() * p;
    if (eye.z >= 0.0f)
        return false;
    const Ogre::Vector3 clip = camera->getProjectionMatrix() * eye;
    x = static_cast<int>((clip.x * 0.5f + 0.5f) * static_cast<float>(w));
    y = static_cast<int>((0.5f - clip.y * 0.5f) * static_cast<float>(h));
    return x >= 0 && x < w && y >= 0 && y < h;
}

/// What the player did in one lesson.
struct Played {
    int steps = 0;
    int clicks = 0;  ///< clicks on the trainers' words
    int answers = 0; ///< answers clicked in the steps' question boxes
    bool ended = false;
};

/// The step's question box while it is up, else null.
inline CEGUI::Window* openQuestion()
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* box = root ? root->getChildRecursive("QuestionBox") : nullptr;
    return box && box->isEffectiveVisible() ? box : nullptr;
}

inline float wrapAngle(float a)
{
    while (a > kPi)
        a -= 2 * kPi;
    while (a < -kPi)
        a += 2 * kPi;
    return a;
}

/// A player at the keyboard: keys held down stay down till let go, and each goes up once.
class Player {
public:
    Player(zrktest::GameRun& game, BattleRoomNewbie& room, zrktest::XWindowInput& input, Ogre::Camera* camera, int w,
           int h)
        : mGame(game), mRoom(room), mInput(input), mCamera(camera), mWidth(w), mHeight(h)
    {
    }

    void hold(KeySym key, bool down)
    {
        if (down == (mHeld.count(key) > 0))
            return;
        mInput.keyEvent(key, down);
        if (down)
            mHeld.insert(key);
        else
            mHeld.erase(key);
    }
    void tap(KeySym key)
    {
        hold(key, false);
        mInput.key(key);
    }
    void letGoAll()
    {
        for (KeySym key : std::set<KeySym>(mHeld))
            hold(key, false);
    }
    void clickCentre() { mInput.click(mWidth / 2, mHeight / 2); }

    /// Plays the running lesson to its end, or till a step past `stopAfter` (-1: none) comes
    /// up. `eachFrame` sees every frame with the step's index and how many frames it has run.
    Played play(const std::function<void(int, int)>& eachFrame, int stopAfter = -1, int frameLimit = 5000)
    {
        Played played;
        int last = -1, frames = 0;
        const int entered = mRoom.getStepsEntered() - (mRoom.getStepIndex() >= 0 ? 1 : 0);
        played.ended = mGame.framesUntil(
            [&] {
                const int index = mRoom.getStepIndex();
                if (index != last) {
                    letGoAll();
                    last = index;
                    frames = 0;
                }
                if (index < 0 || mGame.stateName() != "battle_newbie" || (stopAfter >= 0 && index > stopAfter))
                    return true;
                ++frames;
                eachFrame(index, frames);
                if (mRoom.getStepIndex() != index)
                    return false; // the test's own look at the step moved it on
                step(index, frames, played);
                return false;
            },
            frameLimit);
        letGoAll();
        played.steps = mRoom.getStepsEntered() - entered;
        return played;
    }

private:
    ZRKPlayerSim* me() const
    {
        ZRKLand* land = mRoom.getLand();
        return land ? land->getMyDoll() : nullptr;
    }
    /// Turns to face the point: A and D till the figure looks at it; true once it does.
    bool face(const yake::math::Vector3& at, float within)
    {
        ZRKPlayerSim* doll = me();
        if (!doll)
            return false;
        const yake::math::Vector3 d = at - doll->getPosition();
        const float error = wrapAngle(std::atan2(d.x, d.z) - doll->getHeading());
        hold(XK_a, error > within);
        hold(XK_d, error < -within);
        return std::fabs(error) <= within;
    }
    /// Walks to the point, turning on the way.
    void walkTo(const yake::math::Vector3& at)
    {
        const bool ahead = face(at, 0.12f);
        hold(XK_w, ahead || (mHeld.count(XK_w) && !mHeld.count(XK_a) && !mHeld.count(XK_d)));
        if (!ahead && (mHeld.count(XK_a) || mHeld.count(XK_d)))
            hold(XK_w, false);
    }

    void step(int index, int frames, Played& played)
    {
        if (CEGUI::Window* box = openQuestion()) {
            // A question on the way: the player tries the answers in turn till the right one
            // closes the box.
            letGoAll();
            if (frames % 4 == 0) {
                int count = 0;
                while (box->getChildRecursive(CEGUI::String(("Answer" + std::to_string(count)).c_str())))
                    ++count;
                if (count > 0) {
                    zrktest::clickOn(mInput, box->getChildRecursive(CEGUI::String(
                                                 ("Answer" + std::to_string(played.answers % count)).c_str())));
                    ++played.answers;
                }
            }
            return;
        }
        const TutorialStep* step = TutorialStep::at(index);
        const std::string task = step && step->task ? step->task : "";
        ZRKLand* land = mRoom.getLand();
        // Aiming wants a smooth picture: at four frames a second one tap of A turns too far.
        // Shots are laid at a pace of their own (shoot).
        if (task != "hit" && task != "bop")
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", task == "aim" ? 60 : 4);
        if (step && (step->flags & BattleRoomNewbie::STEP_CLICK)) {
            // The trainer talks: a click once his words have been up a moment.
            if (frames % 5 == 0) {
                clickCentre();
                ++played.clicks;
            }
        } else if (task == "move" && land) {
            if (const yake::Movable* target = land->_getNodeMovable(step->taskArgs))
                walkTo(target->getPosition());
        } else if (task == "pick" && land) {
            auto* pick = dynamic_cast<TutorialPickTask*>(mRoom.findTask("pick"));
            if (const ZRKLand::CrateMark* crate = pick ? land->getCrateMark(pick->getCrateId()) : nullptr)
                walkTo(crate->position);
        } else if (task == "jump" && frames % 4 == 2) {
            tap(XK_j);
        } else if (task == "aim" && land) {
            aim(frames);
        } else if ((task == "hit" || task == "bop") && land) {
            yake::math::Vector3 at;
            if (shotTarget(task, step->taskArgs, at))
                shoot(at, frames);
            else
                letGoAll();
        } else if (task == "fury" && frames % 4 == 2) {
            tap(XK_r);
        } else if (task == "arm" && frames % 4 == 2) {
            tap(XK_2);
        }
    }

    /// The nearest standing doll of the other side; null without one.
    ZRKPlayerSim* foe() const
    {
        ZRKPlayerSim* doll = me();
        ZRKLand* land = mRoom.getLand();
        ZRKPlayerSim* found = nullptr;
        float best = 1e30f;
        for (const auto& d : land&& doll ? land->getAllDoll() : ZRKLand::DollMap())
            if (d.second && d.second != doll && d.second->getColour() != doll->getColour() && !d.second->isDead()) {
                const float far = (d.second->getPosition() - doll->getPosition()).length();
                if (far < best) {
                    best = far;
                    found = d.second;
                }
            }
        return found;
    }
    /// Where the step's shot must land: the nearest foe's body, or the map's item the step
    /// names ("bop"); false when there is none standing.
    bool shotTarget(const std::string& task, const char* args, yake::math::Vector3& at) const
    {
        if (task == "hit") {
            ZRKPlayerSim* target = foe();
            if (target)
                at = target->getPosition() + yake::math::Vector3(0, DollConstants::HIT_ACTOR_OFFSET, 0);
            return target != nullptr;
        }
        ZRKLand* land = mRoom.getLand();
        for (const ZRKLand::MapItem& item : land ? land->getMapItems() : std::vector<ZRKLand::MapItem>())
            if (item.hp > 0 && args && item.name == args) {
                at = item.position;
                return true;
            }
        return false;
    }

    /// One shot at the point, as a player lays a cannon: he reads the wind, the angle and the
    /// force the game shows and works out the lay; A and D turn the figure in taps, Up and Down
    /// set the angle, Space held charges and let go fires at the force wanted. Between shots
    /// (his shell in the air, the other side's turn) he waits with his hands off the keys.
    void shoot(const yake::math::Vector3& target, int frames)
    {
        ZRKLand* land = mRoom.getLand();
        ZRKPlayerSim* doll = me();
        WeaponState* weapon = doll ? doll->getCurrentWeaponState() : nullptr;
        core::BlackBoard& board = core::BlackBoard::getSingleton();
        if (!land || !doll || !weapon || weapon->speed <= 0.0f)
            return;
        board.setInt("kavri3D/win32FPS", kShotFps);
        if (doll->isCharging()) {
            // The force grows by a frame's charge at a time: let go at the frame nearest the
            // force wanted (the shot leaves at the force the gauge shows when Space comes up).
            const float perFrame = DollConstants::CTRL_FORCE_MAX / DollConstants::CHARGE_SECONDS / kShotFps;
            // The game hears the key a frame after it goes up, and charges on meanwhile.
            hold(XK_space, static_cast<float>(doll->getPlayerBattle().force) + perFrame * 1.5f < mWantedForce);
            return;
        }
        const bool myTurn = land->getActingDoll() == doll && doll->isFlagSet(SIM_MAY_FIRE) && !doll->isDead();
        if (mHeld.count(XK_space)) {
            // The game takes a key a frame or two after it goes down; a press that began no
            // charge by then is let go, to be tried again.
            if (frames - mSpaceFrame > 4)
                hold(XK_space, false);
            return;
        }
        if (!myTurn || !land->getShells().empty()) {
            letGoAll();
            board.setInt("kavri3D/win32FPS", 10);
            return;
        }
        yake::math::Vector3 gun;
        yake::math::Quaternion turn;
        doll->getGunPoint(gun, turn);
        const float speed = weapon->speed * DollConstants::HIT_FACTOR_BULLET_SPEED;
        // An angle whose arc clears the ground on the way; after two misses, another one.
        // A near target wants a steep one: the cannon's weakest shot flies too far at 45.
        yake::math::Vector3 v;
        float share = 0.0f;
        const int pitches[] = {45, 55, 35, 65, 25, 75, 85};
        const int count = static_cast<int>(sizeof pitches / sizeof pitches[0]);
        const int first = (doll->getPlayerBattle().shots / 2) % count;
        int pitch = -1;
        for (int i = 0; i < count && pitch < 0; ++i) {
            const int p = pitches[(first + i) % count];
            const float rad = static_cast<float>(p) * kPi / 180.0f;
            if (land->_targetUnderTrajectory(gun, target, rad, speed) != TRAJECTORY_REACHABLE ||
                !land->_calcProjectileV(doll, weapon->name, rad, DollConstants::GUN_MUZZLE, gun, target, true, v))
                continue;
            share =
                (v.length() / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
            if (share >= 0.05f && share <= 1.0f)
                pitch = p;
        }
        if (pitch < 0) {
            letGoAll();
            return;
        }
        const float heading = std::atan2(v.x, v.z);
        const float error = wrapAngle(heading - doll->getHeading());
        const int now = doll->getPlayerBattle().pitch;
        // Taps: a key down one frame, up the next.
        const bool turning = std::fabs(error) > 0.02f;
        const bool tapFrame = frames % 2 == 0;
        hold(XK_a, turning && tapFrame && error > 0);
        hold(XK_d, turning && tapFrame && error < 0);
        hold(XK_Up, now < pitch);
        hold(XK_Down, now > pitch);
        if (turning || now != pitch || mHeld.count(XK_a) || mHeld.count(XK_d))
            return;
        mWantedForce = share * DollConstants::CTRL_FORCE_MAX;
        mSpaceFrame = frames;
        hold(XK_space, true);
    }

    /// Brings the foe under the sight as the step says: the mouse moved left or right to turn
    /// the view, up or down to raise or lower it, a little at a time.
    void aim(int frames)
    {
        hold(XK_a, false);
        hold(XK_d, false);
        ZRKPlayerSim* target = foe();
        BattleRoom::ZRKSightingPanel* sight = mRoom.getSightingPanel();
        if (!target || !sight || !sight->getWindow() || !target->getPlayerRef() || frames % 2 != 0)
            return;
        const CEGUI::Rectf r = sight->getWindow()->getUnclippedOuterRect().get();
        int x = 0, y = 0;
        const bool seen =
            onScreen(mCamera, target->getPosition() + yake::math::Vector3(0, 1.5f, 0), mWidth, mHeight, x, y);
        // Off the top (or behind the eye): the view must come up.
        const float ey = seen || y != 0 ? static_cast<float>(y) - (r.top() + r.bottom()) / 2 : -400.0f;
        const float ex = seen || x != 0 ? static_cast<float>(x) - (r.left() + r.right()) / 2 : 0.0f;
        if (std::fabs(ey) <= r.getHeight() / 6 && std::fabs(ex) <= r.getWidth() / 6)
            return;
        const auto step = [](float e) {
            const int by = static_cast<int>(std::max(-30.0f, std::min(30.0f, e / 10)));
            return by != 0 ? by : (e > 0 ? 1 : e < 0 ? -1 : 0);
        };
        XEvent ev{};
        ev.type = MotionNotify;
        // The mouse drawn back (down) raises the view; moved the way the foe stands, it turns
        // the view to him.
        ev.xmotion.x = mWidth / 2 + (std::fabs(ex) > r.getWidth() / 6 ? step(ex) : 0);
        ev.xmotion.y = mHeight / 2 - (std::fabs(ey) > r.getHeight() / 6 ? step(ey) : 0);
        mInput.send(ev, PointerMotionMask);
    }

    zrktest::GameRun& mGame;
    BattleRoomNewbie& mRoom;
    zrktest::XWindowInput& mInput;
    Ogre::Camera* mCamera;
    const int mWidth, mHeight;
    std::set<KeySym> mHeld;
    float mWantedForce = 0.0f;
    int mSpaceFrame = 0;
    /// Frames a second while laying a shot: a tap turns the figure 0.04 and the charge grows
    /// 10 a frame.
    static constexpr int kShotFps = 50;
};

} // namespace zrktest
