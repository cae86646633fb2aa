#pragma once
#include <string>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// The guide text before the fight: the lead text (or, on a stage, its NPC's dialog) shown once
/// the loading screen has gone, for its time; when the time is up the room starts the simulator.
class BattleGuide {
public:
    explicit BattleGuide(BattleRoom& room) : mRoom(room) {}
    ~BattleGuide();
    BattleGuide(const BattleGuide&) = delete;
    BattleGuide& operator=(const BattleGuide&) = delete;

    /// Shown at once when loading is done, else when it is.
    void schedule(const std::string& text, float seconds);
    /// Each frame: the loading screen goes once the land has loaded (or every row is through
    /// while a text waits), and then a waiting text shows.
    void checkLoadingDone();
    void hide();
    /// The guide's and the NPC dialog's windows go.
    void destroyWindows();
    /// No text waits any more.
    void clear();
    void stopWaiting() { mWaiting = false; }
    /// The guide text on screen; empty when none is shown.
    std::string shownText() const;

    const std::string& getText() const { return mText; }
    float getDuration() const { return mDuration; }
    bool isWaiting() const { return mWaiting; }

private:
    void show(const std::string& text, float seconds);
    /// Made from their layouts when first needed.
    bool makeWindows();

    BattleRoom& mRoom;
    CEGUI::Window* mGuideRoot = nullptr; ///< "guide", holding the lead text while hidden
    CEGUI::Window* mLeadText = nullptr;  ///< "guide/leadTextBg"
    CEGUI::Window* mNpcDialog = nullptr; ///< "npcDlg"
    std::string mText;
    float mDuration = 0.0f;
    bool mWaiting = false;
};

} // namespace zrk
} // namespace kavri3D
