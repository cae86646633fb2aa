#pragma once
#include <boost/shared_ptr.hpp>
#include "battle/BattleHintManager.h"
#include "battle/BattleHintUpdatableProc.h"

namespace kavri3D {
namespace zrk {

/// The "tip" hints ("t" = "tip"): every 30 s of the fight one of the texts, drawn by weight,
/// on the battle bar's message line.
class BattleHintTipProc : public BattleHintUpdatableProc {
public:
    static const char* const kKey;
    static constexpr float kInterval = 30.0f;
    BattleHintTipProc(BattleHintManager& manager, const BattleHintManager::HintTexts& texts);
    static boost::shared_ptr<BattleHintProc> make(BattleHintManager& manager,
                                                  const BattleHintManager::HintTexts& texts);

    void start() override;
    void stop() override;
    void update(float seconds) override;
    /// The text whose share holds the draw (0..1).
    const std::string& pick(float draw) const;
    int getShown() const { return mShown; }
    const std::string& getLastText() const { return mLast; }

private:
    BattleHintManager& mManager;
    BattleHintManager::HintTexts mTexts;
    float mWaited = 0.0f;
    bool mRunning = false;
    int mShown = 0;
    std::string mLast;
};

} // namespace zrk
} // namespace kavri3D
