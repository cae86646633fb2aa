#pragma once

namespace kavri3D {
namespace zrk {

/// One step of the tutorial's script: the flags it enters with, how long it may last, what the
/// player must do (a task) and the one-shot changes made on entering and leaving it.
struct TutorialStep {
    int flags;        ///< the step's switches (see BattleRoomNewbie); -1 ends the lesson
    float duration;   ///< seconds, with flag 0x4; -1 none
    const char* task; ///< task keyword; null or "" none
    const char* taskArgs;
    const char* enterCond;
    const char* enterArgs;
    const char* leaveCond;
    const char* leaveArgs;

    /// The rows of the five lessons; lesson n starts at row n x 30.
    static constexpr int kCount = 151;
    static constexpr int kLessonRows = 30;
    /// The row, or null for an index outside the table.
    static const TutorialStep* at(int index);
};

} // namespace zrk
} // namespace kavri3D
