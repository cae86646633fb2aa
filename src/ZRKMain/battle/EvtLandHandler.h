#pragma once
#include <map>
#include <string>
#include <CEGUI/Rect.h>
#include <OgreVector.h>
#include <core/IEventHandler.h>
#include <land/LandEventId.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace core {
class Event;
}
namespace zrk {

class BattleRoom;

/// The land's events Hit to Reserved2 for the battle room: numbers over hit players (Hit), the
/// item prompt (ItemGained), the own gains as rising digits (Gains), battle chat lines
/// (BattleMessage), scene effects and Flash overlays (Effect), the guide text before the fight
/// (GuideText) and the server's resynchronisation or end of the battle (SyncOrAbort). The
/// room's filter sees each event first.
class EvtLandHandler : public core::IEventHandler {
public:
    static constexpr int kFirst = LandEventId::Hit;
    static constexpr int kLast = LandEventId::Reserved2;
    /// The counters of the own gains on the battle bar.
    static const char* const kNumberWindows[4];
    /// Pixel size of one digit of a counter.
    static constexpr float kDigit = 24.0f;

    explicit EvtLandHandler(BattleRoom& room) : mRoom(room) {}
    /// Puts the counters back as they were and forgets them.
    ~EvtLandHandler() override;
    std::string getName() const override { return "BattleRoom_EvtLandHandler"; }
    /// True when the event was one of the land's (consumed), false for any other.
    bool handle(const core::Event& event) override;

    /// How high over a player the next number floats: quick pop-ups stack downwards (4, 2,
    /// 0 ... for hits under 0.1 s apart), a pause of 0.5 s starts again at 4.
    float popupHeight(const std::string& playerId);
    /// The hit's number (or numbers: a split hit shows three parts) over the anchor.
    void showHit(const std::string& playerId, int hitFlags, const std::string& type, int level, int health,
                 Ogre::Vector3 anchor, float avatarY);
    /// The value as rising digits in the named window (0 left, 1 centred, 2 right-aligned).
    void showDigitNumber(const std::string& window, int value, int align);
    /// The same with the combo prize title in front.
    void showComboNumber(const std::string& window, int value, int align);
    /// Stops a counter, empties it and puts it back where it first stood.
    void resetNumberWindow(const std::string& window);

private:
    void hit(const core::Event& event);
    void itemGained(const core::Event& event);
    void gains(const core::Event& event);
    void chatLine(const core::Event& event);
    void effect(const core::Event& event);
    void guideText(const core::Event& event);
    void syncOrAbort(const core::Event& event);
    /// The counter window ready for new digits (stopped, emptied, in place); null without it.
    CEGUI::Window* prepareNumber(const std::string& window);
    /// Digit windows for the text; returns where the first one stands.
    float addDigits(CEGUI::Window& parent, const std::string& text, int align);

    struct Popup {
        float last = 0.0f;
        float height = 0.0f;
    };
    BattleRoom& mRoom;
    std::map<std::string, Popup> mPopups;
    std::map<std::string, CEGUI::URect> mAreas;
};

} // namespace zrk
} // namespace kavri3D
