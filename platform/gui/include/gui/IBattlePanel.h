#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>
#include "gui/IBattleOver.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// What the battle screen reads of the battle; the battle room hands one over at the start
/// of the fight and an empty one when it ends.
class IBattleStatus {
public:
    virtual ~IBattleStatus() = default;
};

/// The battle screen's own interface: its message lines, the radar and the status it reads.
class IBattlePanel {
public:
    virtual ~IBattlePanel() = default;
    /// A message line: team (-1 all, -3 clears), player id, nickname, text, this client only.
    virtual void line(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
                      bool local) = 0;
    /// A weapon notice of the own doll (weapon slot and what it tells).
    virtual void next(int first, int second) = 0;
    virtual void setRadarSize(float width, float height) = 0;
    virtual void setRadarScale(float scale) = 0;
    /// Where the own doll looks, as a direction on the radar.
    virtual void setRadarOrientation(float x, float y) = 0;
    virtual void setStatusProvider(boost::shared_ptr<IBattleStatus> status) = 0;
    /// The five set-up values the battle gives at the start of the fight.
    virtual void setTurnSeconds(float seconds) = 0;
    virtual void setMode(int mode) = 0;
    virtual void setLineSeconds(float seconds) = 0;
    virtual void setFlags(int flags) = 0;
    virtual void setStage(int stage) = 0;
};

/// The host of the battle screen ("Battle" panel).
class IBattlePanelHost {
public:
    virtual ~IBattlePanelHost() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
    /// Called every frame of the battle.
    virtual void update(float dt) = 0;
    virtual IBattlePanel* getPanel() = 0;
};

/// A box-opening screen of a battle's half time.
class IBoxPanel : public IOpenBoxData {
public:
    virtual void setOffers(const std::vector<IBattleOver::BoxOffer>& offers) = 0;
    /// The count-down runs from start to end (seconds since the screen opened).
    virtual void setCountDown(float start, float end) = 0;
    virtual void setSlots(const std::vector<IBattleOver::AwardSlot>& slots) = 0;
    /// Called every frame with the game clock's time.
    virtual void update(float now) = 0;
    virtual bool isShown() const = 0;
};

/// The view of a doll in the battle (its player's card).
class IDollView {
public:
    virtual ~IDollView() = default;
    virtual void close() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
