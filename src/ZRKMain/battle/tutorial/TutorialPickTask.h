#pragma once
#include <string>
#include "battle/tutorial/TutorialMarkerTask.h"

namespace kavri3D {
namespace zrk {

/// "pick": a crate is put on a map node; the doll walks over it.
class TutorialPickTask : public TutorialMarkerTask {
public:
    /// Energy comes back when it falls below 1/kRefillShare of the full bar.
    static constexpr int kRefillShare = 20;
    explicit TutorialPickTask(BattleRoomNewbie* room) : TutorialMarkerTask(room, 8) {}
    void start(const std::string& args) override;
    void stop() override;
    void update() override;
    const std::string& getCrateId() const { return mCrateId; }

private:
    std::string mCrateId;
};

} // namespace zrk
} // namespace kavri3D
