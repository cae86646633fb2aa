#pragma once
#include <gui/IBattleOver.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The battle's result screen: a row per doll (side, name, health bar and counters) and the
/// player's awards by name and icon, in a frame over the battle.
class BattleOverView : public GuiPage, public IBattleOver {
public:
    static constexpr int kKind = 30;
    BattleOverView(ParamStore& params, ParentSource parent);

    void setResult(const std::vector<PlayerRecord>& players, int tactic,
                   const std::vector<AwardBoxItem>& awards) override;
    void setSummary(int winner) override;
    void setNote(const std::string& note) override;
    void close() override { setVisible(false); }
    bool isShown() const override;

    const std::vector<PlayerRecord>& players() const { return mPlayers; }
    const std::vector<AwardBoxItem>& awards() const { return mAwards; }
    int tactic() const { return mTactic; }
    int winner() const { return mWinner; }
    const std::string& note() const { return mNote; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void rebuild();

    std::vector<PlayerRecord> mPlayers;
    std::vector<AwardBoxItem> mAwards;
    int mTactic = 0;
    int mWinner = -1;
    std::string mNote;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
