#pragma once
// A rookie at the keyboard and mouse, played through the lessons by X events into the game
// window: he clicks on the trainers' words, tries the answers of a question in turn, walks to
// the marked place or crate, jumps, brings the foe under the sight, and at the shooting steps
// does only what the line under the step's words says: A or D while it says to turn, Up or
// Down while it says to move the barrel, Space held for the time it tells. He reads the game's
// state to steer, as a player reads the screen, and calls no handler.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cmath>
#include <core/BlackBoard.h>
#include <functional>
#include <map>
#include <land/DollConstants.h>
#include <land/WeaponState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <set>
#include <string>

#include "battle/ShotAsTold.h"
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialPickTask.h"
#include "battle/tutorial/TutorialStep.h"
#include "battle/hud/ZRKBubblePanel.h"
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
    std::map<int, int> shots; ///< Space held as the line told, by shooting step
    int turnsSeen = 0;        ///< his turns at a shooting step, looked at as each began
    /// The first of them that did not show the target below the guide box with its bubble
    /// over it (what was wrong); empty when every one did.
    std::string unframed;
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
                    mShooter.letGo();
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
        mShooter.letGo();
        played.shots = mShooter.shots;
        mShooter.shots.clear();
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
            shootAsTold(index, step->taskArgs, played);
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
    /// Where the step's target stands: the nearest foe, or the map's item the step names
    /// ("bop"); false when there is none standing.
    bool targetOf(const std::string& task, const char* args, yake::math::Vector3& foot, ZRKPlayerSim*& doll) const
    {
        doll = nullptr;
        if (task == "hit") {
            doll = foe();
            if (doll)
                foot = doll->getPosition();
            return doll != nullptr;
        }
        ZRKLand* land = mRoom.getLand();
        for (const ZRKLand::MapItem& item : land ? land->getMapItems() : std::vector<ZRKLand::MapItem>())
            if (item.hp > 0 && args && item.name == args) {
                foot = item.position;
                return true;
            }
        return false;
    }

    /// What the screen shows as his turn begins: the target in the window, its top below the
    /// guide box and its foot above the battle bar, and a figure's head bubble standing on its
    /// head, whole below the box. Empty when it is so, else what is wrong.
    std::string framing(const std::string& task, const char* args) const
    {
        yake::math::Vector3 foot;
        ZRKPlayerSim* doll = nullptr;
        if (!targetOf(task, args, foot, doll))
            return std::string();
        CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
        CEGUI::Window* box = root ? root->getChildRecursive("TutorialGuide") : nullptr;
        CEGUI::Window* bar = root ? root->getChildRecursive("BattlePanel") : nullptr;
        const float boxBottom = box && box->isEffectiveVisible() ? box->getUnclippedOuterRect().get().bottom() : 0.0f;
        const float barTop =
            bar && bar->isEffectiveVisible() ? bar->getUnclippedOuterRect().get().top() : static_cast<float>(mHeight);
        int fx = 0, fy = 0, tx = 0, ty = 0;
        const float tall = doll ? 2.0f * DollConstants::HIT_ACTOR_OFFSET : 8.0f;
        if (!onScreen(mCamera, foot, mWidth, mHeight, fx, fy) ||
            !onScreen(mCamera, foot + yake::math::Vector3(0, tall, 0), mWidth, mHeight, tx, ty))
            return "out of the view";
        if (static_cast<float>(ty) <= boxBottom)
            return "behind the guide box (top at " + std::to_string(ty) + ", box to " +
                   std::to_string(static_cast<int>(boxBottom)) + ")";
        if (static_cast<float>(fy) >= barTop)
            return "behind the battle bar";
        if (!doll)
            return std::string();
        auto bubble = doll->getPlayerRef() ? BattleRoom::getBubble(*doll->getPlayerRef())
                                           : boost::shared_ptr<BattleRoom::ZRKBubblePanel>();
        CEGUI::Window* w = bubble ? bubble->getWindow() : nullptr;
        if (!w || !w->isEffectiveVisible())
            return "no bubble";
        const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
        if (r.top() < boxBottom - 1.0f)
            return "its bubble under the guide box";
        if (r.bottom() > static_cast<float>(fy) || r.bottom() < static_cast<float>(ty) - 0.25f * r.getHeight())
            return "its bubble not over its head (bubble " + std::to_string(static_cast<int>(r.bottom())) +
                   ", figure " + std::to_string(ty) + " to " + std::to_string(fy) + ")";
        return std::string();
    }

    /// A shooting step as its words say (ShotAsTold), the shots laid at fifty frames a second;
    /// as each of his turns begins, what the screen shows of the target is looked at.
    void shootAsTold(int index, const char* args, Played& played)
    {
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", kShotFps);
        if (!mShooter.frame(index))
            return;
        ++played.turnsSeen;
        const TutorialStep* step = TutorialStep::at(index);
        const std::string wrong = framing(step && step->task ? step->task : "", args);
        if (!wrong.empty() && played.unframed.empty())
            played.unframed = "step " + std::to_string(index) + ": the target " + wrong;
    }

    /// Brings the foe under the sight as the step says: the mouse moved left or right to turn
    /// the view, down to raise it and up to lower it, a little at a time.
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
    /// Frames a second while laying a shot: a tap turns the figure 0.04 and the charge grows
    /// 10 a frame.
    static constexpr int kShotFps = 50;
    ShotAsTold mShooter{mRoom, kShotFps, [this](ShotAsTold::Key key, bool down) {
                            static const KeySym kKeys[] = {XK_a, XK_d, XK_Up, XK_Down, XK_space};
                            hold(kKeys[key], down);
                        }};
};

} // namespace zrktest
