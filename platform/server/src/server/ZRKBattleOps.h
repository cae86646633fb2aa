#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's side of a battle's hand-shake: each client reports its land loaded, and the
/// battle's end, after which the awards (core::BattleAwards) are written back to its players;
/// one who gives it up midway reports the props he used.
class ZRKBattleOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// Seconds a finished battle stays before the server closes it: the half time's delay and
    /// the prize boxes' count-down (a PVE stage counts down longer).
    static constexpr double kCloseSeconds = 10.0 + 12.0;
    static constexpr double kPveCloseSeconds = 10.0 + 15.0;
    /// The most entries a report of the props used may list (a props bag holds ten).
    static constexpr unsigned kMaxPropsReported = 16;
    /// Seconds from a won mission stage to the rebuild for its next stage: the half time's
    /// delay and its page.
    static constexpr double kNextStageSeconds = 20.0;
};

} // namespace zrk
} // namespace kavri3D
