#pragma once
#include <yake/Vector3.h>

namespace kavri3D {
namespace zrk {

class BattleRoomNewbie;
class ZRKBasicSim;
class ZRKPlayerSim;
class WeaponState;

/// What a lesson's shooting step tells and shows about the player's shot. The line under the
/// step's words says which way to turn (A or D) while the target is outside the sight's reach
/// of his heading, which way to move the barrel (Up or Down) while no force reaches at his
/// pitch, and else how long to hold Space for the force that reaches at his heading and pitch,
/// with the wind; the force gauge marks that force. The view shows the target below the guide
/// box, its head bubble over it, each time it comes back to the player's figure.
class TutorialShotGuide {
public:
    explicit TutorialShotGuide(BattleRoomNewbie& room);

    /// A new step: nothing told, the view not framed yet.
    void reset();
    /// Each frame of a shooting step: the point the shot must reach and where the target stands
    /// (its foot and its head; its figure, for its bubble, or null).
    void update(const yake::math::Vector3& aim, const yake::math::Vector3& foot, const yake::math::Vector3& head,
                const ZRKBasicSim* target);
    /// After the battle's own frame (its sight marks a force of its own and the view may have
    /// come back to the figure): the told force marked, the target framed.
    void afterFrame();

    /// A shell along the heading that passes the target this near (world units, across the
    /// line of fire) falls well inside its blast: the target is in the sight's reach. At the
    /// lessons' distances the reach is wider than a frame's turn at the game's frame rate, so a
    /// player who lets A or D go when the line changes stops inside it.
    static constexpr float kSightReach = 6.0f;
    /// The weakest share of a full charge told at the barrel's angle; another angle is told
    /// only with a share between the next two, so that a stop a little off still reaches.
    static constexpr float kLeastShare = 0.05f;
    static constexpr float kSearchLeast = 0.1f;
    static constexpr float kSearchMost = 0.9f;
    /// The barrel's steepest and flattest angles told (degrees).
    static constexpr int kLowestPitch = 5;
    static constexpr int kHighestPitch = 85;

    /// What the line tells now: tenths of a second of Space (0 or more), or one of these.
    enum Told { kNothing = -2, kNoneReaches = -1, kTurnLeft = -3, kTurnRight = -4, kRaise = -5, kLower = -6 };
    int getTold() const { return mTold; }

private:
    /// The flight that reaches the aim at `degrees` of pitch, with its share of a full charge;
    /// false when none does (too far, too near or the ground in the way).
    bool solve(ZRKPlayerSim& me, const WeaponState& weapon, int degrees, yake::math::Vector3& v, float& share) const;
    void tell(int told, float share);
    void frameView();
    /// The rookie's own head bubble stands where the view puts a target straight ahead: it
    /// steps aside while he lays a shot (the battle bar keeps his health), and comes back after.
    void showOwnBubble(bool shown);

    BattleRoomNewbie& mRoom;
    int mTold = kNothing;
    float mShare = -1.0f;  ///< the share told, for the gauge's mark
    bool mUpdated = false; ///< a shooting step told this frame
    bool mFramed = false;  ///< the view framed since it came back to the figure
    bool mOwnBubbleHidden = false;
    yake::math::Vector3 mAim; ///< this frame's points
    yake::math::Vector3 mFoot;
    yake::math::Vector3 mHead;
    const ZRKBasicSim* mTarget = nullptr;
};

} // namespace zrk
} // namespace kavri3D
