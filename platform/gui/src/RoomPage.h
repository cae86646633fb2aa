#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include <list>
#include <gui/BagData.h>
#include <gui/MapInfList.h>
#include <gui/PlayerCard.h>
#include <gui/ShopData.h>
#include <vector>

#include "PortraitPage.h"
#include "HelpButton.h"

namespace CEGUI {
class Font;
}

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// A game room before its battle: the eight seats (their live portraits, each
/// with a card line: nickname, team, ready, owner, shut), the map, and Ready,
/// Start, Team, Leave, Kick, Lock and the map buttons (a mission's go through the stages of
/// its map). Kick and Lock act on the seat last clicked, taken or empty, which shows framed.
class RoomPage : public PortraitPage {
public:
    static constexpr int kKind = 9;
    static constexpr int kLoadingEventId = EventId::RoomLoading;
    static constexpr int kListenEventId = EventId::RoomListen;
    static constexpr int kLeaveEventId = EventId::PlayerLeave;
    static constexpr int kReadyEventId = EventId::PlayerReady;
    static constexpr int kStartEventId = EventId::PlayerStart;
    static constexpr int kTeamEventId = EventId::ChangeTeam;
    static constexpr int kKickEventId = EventId::TickPlayer;
    static constexpr int kLockEventId = EventId::PositionLock;
    static constexpr int kMapListEventId = EventId::MapList;
    static constexpr int kMapChangeEventId = EventId::ChangeMap;
    static constexpr int kChatSendEventId = EventId::BattleSendMsg;
    static constexpr int kChatListenEventId = EventId::ChatMsgListen;
    static constexpr int kJoinEventId = EventId::RoomJoin;
    static constexpr int kCreateEventId = EventId::RoomCreate;
    static constexpr int kAttrEventId = EventId::PlayerAttrLoading;
    /// Characters a room chat line holds at most.
    static constexpr std::size_t kChatMax = 200;
    static constexpr int kPropShopEventId = EventId::PropShopLoad;
    static constexpr int kPropCheckoutEventId = EventId::PropCheckout;
    static constexpr int kPropLoadEventId = EventId::PropLoad;
    /// Props the props shop shows at most.
    static constexpr std::size_t kPropOffers = 8;

    RoomPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
             std::vector<std::string> images, int columns, EventDispatcher& dispatcher);
    ~RoomPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The player is in the room: its view, its seats and its maps are asked for.
    void open(const std::string& playerName, const std::string& zoneName);

    // The buttons, as the mouse presses them.
    bool ready();
    bool start();
    bool changeTeam();
    bool leave();
    bool kick();
    bool lockSeat();
    /// A line to everyone in the room; false for an empty one or outside a room.
    bool say(const std::string& text);
    /// The last room chat line heard, as the page shows it.
    const std::string& lastChat() const { return mLastChat; }
    /// The next (+1) or the previous (-1) map of the room's list; in a mission the next or the
    /// previous stage.
    bool changeMap(int step);
    void selectSeat(int seat);
    int selectedSeat() const { return mSelectedSeat; }
    /// "Props": shows or hides the props strip and shop over the seats.
    void toggleProps();
    bool propsShown() const;
    /// Buys one piece of offer `index` of the props shop; false when there is no such offer.
    bool buyProp(std::size_t index);
    /// The props bag's slots 51 to 60 as the strip shows them, and the shop's offers.
    const std::vector<BagData>& propSlots() const { return mPropSlots; }
    const std::vector<ShopData>& propOffers() const { return mPropOffers; }
    /// One strip cell: "51: Repair Kit x3", "52: -".
    static std::string propSlotText(const BagData& slot);

    /// The start's verdict on the cards: 0 go, 1 unequal teams, 2 not everyone
    /// ready, 3 a team empty (in a mission: nobody seated).
    static int startFlags(const std::vector<PlayerCard>& cards, int mode);
    /// One card's line: "nickname (red) ready owner", "(shut)" or "(empty)".
    static std::string cardLine(const PlayerCard& card, int seat);
    /// The same with the nickname given (UTF-8).
    static std::string cardLine(const PlayerCard& card, int seat, const std::string& nickname);
    /// The card's line within `width` pixels of the font: too long, it cuts the nickname to end
    /// in "..."; the team and the state stay whole.
    static std::string fittedCardLine(const PlayerCard& card, int seat, const CEGUI::Font* font, float width);

    const std::vector<PlayerCard>& cards() const { return mCards; }
    int ownSeat() const { return mOwnSeat; }
    int mapId() const { return mMapId; }
    /// The stage of a mission's map the room plays (its index in the map's stages).
    unsigned mapIndex() const { return mMapIdx; }
    /// "Map: Red Canyon"; a mission's with its stage: "Map: Training Fort, stage 2 of 3".
    std::string mapLine() const;
    /// The text within `width` pixels of the font: too long, it is cut to end in "...".
    static std::string fitted(const std::string& text, const CEGUI::Font* font, float width);
    const std::string& roomTitle() const { return mTitle; }
    const std::vector<MapInfList>& maps() const { return mMaps; }
    const std::string& roomName() const { return mRoomName; }

protected:
    void buildContent(CEGUI::Window& frame) override;
    /// A seat's line is as tall as its letters, brackets and tails included.
    float captionShare() const override { return 0.2f; }

private:
    bool call(int eventId);
    /// Why a button did nothing, in the game's box.
    void tell(const std::string& text);
    void showCards();
    bool onButton(const CEGUI::EventArgs& args);
    bool onSeatClicked(const CEGUI::EventArgs& args);
    bool onPropBuyClicked(const CEGUI::EventArgs& args);
    bool onSay(const CEGUI::EventArgs& args);
    void showProps();

    EventDispatcher& mDispatcher;
    const std::vector<std::string> mSeatImages;
    const int mColumns;
    HelpButton mHelp{getKind(), params(), mDispatcher};
    std::string mPlayerName;
    std::string mRoomName;
    int mRoomId = -1;
    int mMode = 1;
    std::vector<PlayerCard> mCards;
    int mOwnSeat = 0;
    int mMapId = -1;
    unsigned mMapIdx = 0;
    std::string mTitle;
    int mSelectedSeat = -1;
    std::vector<MapInfList> mMaps;
    std::vector<BagData> mPropSlots;
    std::vector<ShopData> mPropOffers;
    std::string mLastChat;
    std::list<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
