#pragma once
#include <string>
#include "battle/TutorialMarkerTask.h"

namespace kavri3D {
namespace zrk {

/// "pick": a crate is put on a map node; the doll walks over it.
class TutorialPickTask : public TutorialMarkerTask {
public:
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
