#pragma once
#include <memory>
#include <core/Lifetime.h>
#include <string>
#include <vector>
#include <core/CEGUIPanel.h>
#include <core/IEventHandler.h>
#include <land/LandEventId.h>

#include "battle/BattleRoom.h"

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {

/// The battle's loading screen: the map's (or the stage's) framed picture, a tip picked at
/// random and one row per seated player with name, rank, level, percentage and bar, the own
/// row on its own background. The land reports each player's progress (LoadProgress); every
/// row runs from the reported lower bound towards the upper one at the reported pace. Short
/// tactics with more than one player count down from 90.
class BattleRoom::ZRKProgressPanel : public core::IEventHandler, public core::CEGUIPanel {
public:
    static constexpr int kEventType = LandEventId::LoadProgress;
    static constexpr int kRows = 8;

    /// One player's row.
    struct LoadProgressRow {
        int seat = -1;            ///< the player's seat; -1 once the player is gone
        bool done = false;        ///< shows completion
        int lower = 0;            ///< percent the land confirmed; 101 is complete
        int upper = 0;            ///< how far the row may run ahead
        float stepSeconds = 0.0f; ///< seconds per percent of advance
        float stepTime = -1.0f;   ///< wall-clock time of the last step; -1 before the first
        int shown = 0;            ///< percent on screen
    };

    explicit ZRKProgressPanel(BattleRoom* room);
    ~ZRKProgressPanel() override;

    std::string getName() const override { return "BattleRoom_EvtPgHandler"; }
    /// A progress report moves its player's row; a report that cannot be read is logged and
    /// ignored. True for every LoadProgress, false for other events.
    bool handle(const core::Event& event) override;

    /// False without the main frame's top window or when the layout cannot be loaded; the rows
    /// still follow the reports then. A picture that cannot be loaded leaves its window empty.
    bool createWindow() override;
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return mRoot; }

    /// One row per seated player, in seat order; the countdown for a short tactic.
    void fillPlayers();
    /// The picture of the room's map or stage as the room holds it now (a mission's next
    /// stage, rebuilt in the same battle, has its own).
    void showIntro();
    /// Advances the rows by the wall clock.
    void update(float dt);
    /// Every row complete or its player gone; never before the rows were filled (a guide text
    /// that comes before loading starts waits for them).
    bool isDone() const { return mFilled && mPendingRows == 0; }

    // What tests look at.
    const std::vector<LoadProgressRow>& getRows() const { return mRows; }
    int getOwnSeat() const { return mOwnSeat; }
    int getCountdown() const { return mCountdown; }
    bool isCountingDown() const { return mCountdownTimer != -1; }
    const std::string& getTipImageset() const { return mTipImageset; }
    /// The picture the screen was built with (the map's, the stage's or the default).
    const std::string& getPicture() const { return mPicture; }

private:
    void startCountdown();
    void onCountdownTick();
    void showRowComplete(int row);
    void showRowProgress(int row, int percent);
    /// The row's child window ("player3" + "_pgt"); null when the layout lacks it.
    CEGUI::Window* rowChild(int row, const char* suffix) const;
    std::string choosePicture() const;
    void showPicture(const std::string& imageset, std::string& held, const std::string& file, const char* window);
    void showTip();

    BattleRoom* mRoom;
    std::string mFrameImageset, mIntroImageset, mTipImageset;
    std::string mPicture;
    CEGUI::Window* mRoot = nullptr;
    CEGUI::Window* mTimerWindow = nullptr;
    CEGUI::Window* mTimerHundreds = nullptr;
    CEGUI::Window* mTimerTens = nullptr;
    CEGUI::Window* mTimerUnits = nullptr;
    std::vector<LoadProgressRow> mRows;
    int mPendingRows = 0;
    bool mFilled = false;
    int mOwnSeat = -1;
    int mCountdownTimer = -1;
    int mCountdown = 90;
    core::Lifetime mLife;
};

} // namespace zrk
} // namespace kavri3D
