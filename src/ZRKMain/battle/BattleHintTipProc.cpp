#include "battle/BattleHintTipProc.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <gui/IBattlePanel.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

const char* const BattleHintTipProc::kKey = "httip";

BattleHintTipProc::BattleHintTipProc(BattleHintManager& manager, const BattleHintManager::HintTexts& texts)
    : mManager(manager), mTexts(texts)
{
}

boost::shared_ptr<BattleHintProc> BattleHintTipProc::make(BattleHintManager& manager,
                                                          const BattleHintManager::HintTexts& texts)
{
    return boost::make_shared<BattleHintTipProc>(manager, texts);
}

void BattleHintTipProc::start()
{
    mRunning = true;
    mWaited = 0.0f;
}

void BattleHintTipProc::stop() { mRunning = false; }

const std::string& BattleHintTipProc::pick(float draw) const
{
    for (const BattleHintManager::HintText& t : mTexts)
        if (draw < t.cumulative)
            return t.text;
    return mTexts.back().text; // the last share is 1 within float precision
}

void BattleHintTipProc::update(float seconds)
{
    if (!mRunning || mTexts.empty() || !std::isfinite(seconds) || seconds <= 0.0f)
        return;
    mWaited += seconds;
    if (mWaited < kInterval)
        return;
    mWaited = 0.0f;
    BattleRoom* room = mManager.getRoom();
    if (!room)
        return;
    mLast = pick(room->getRandom().uniform());
    ++mShown;
    if (gui::IBattlePanel* panel = room->getBattleScreen())
        panel->line(-1, std::string(), std::string(), mLast, true);
}

} // namespace zrk
} // namespace kavri3D
