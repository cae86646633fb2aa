#pragma once
#include <cstddef>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The GUI event ids, by screen: every id an event of the game answers to, and every id the
/// game or the plug-in raises for a screen. Each is named after the event class that answers
/// it (without "Event"); the ids no event answers are named for what they tell the screen.
/// Both halves write the names, never the numbers: `raiseEvent(EventId::PackageLoading)`.
/// A new id is one row here (see docs/howto-add-event.md).
#define ZRK_GUI_EVENT_IDS(X)                                                                                           \
    /* log-in */                                                                                                       \
    X(ChooseServerLoading, 131)                                                                                        \
    X(LoginLoading, 1)                                                                                                 \
    X(LoginGo, 2)                                                                                                      \
    X(MessageBoxShow, 64)                                                                                              \
    X(ShowHelp, 85)                                                                                                    \
    X(DefState, 117)                                                                                                   \
    X(AudioSettingChanged, 115)                                                                                        \
    X(Exit, 61)                                                                                                        \
    X(GuiResourcesReady, 58) /* the downloaded GUI resources are loaded */                                             \
    /* character creation */                                                                                           \
    X(CreateCharLoading, 3)                                                                                            \
    X(ChangeCharState, 4)                                                                                              \
    X(RollChar, 5)                                                                                                     \
    X(CreateChar, 6)                                                                                                   \
    X(CreateCharSceneReady, 49) /* the creation scene is loaded */                                                     \
    /* area: the zone choice, quests, forge and the bag's actions */                                                   \
    X(AreaLoading, 14)                                                                                                 \
    X(AreaGo, 13)                                                                                                      \
    X(AreaRandomMembers, 15)                                                                                           \
    X(Logout, 7)                                                                                                       \
    X(MessionReward, 88)                                                                                               \
    X(EquipEnhance, 107)                                                                                               \
    X(Refine, 108)                                                                                                     \
    X(EquipMix, 109)                                                                                                   \
    X(EquipEnchase, 110)                                                                                               \
    X(UserFunItem, 128)                                                                                                \
    X(GuildInvite, 130)                                                                                                \
    X(BagOpenBox, 129)                                                                                                 \
    X(BagUnlockRank, 132)                                                                                              \
    X(HtmlView, 133)                                                                                                   \
    X(TileConfig, 134)                                                                                                 \
    X(AreaEntered, 51) /* the area came on screen */                                                                   \
    X(QuestList, 89)   /* the quest list changed */                                                                    \
    X(Growth, 118)     /* the player rose a level or a rank */                                                         \
    /* the hall: room list and chat */                                                                                 \
    X(HallRoomListLoading, 19)                                                                                         \
    X(HallRoomListRefesh, 20)                                                                                          \
    X(RoomJoin, 18)                                                                                                    \
    X(RoomCreate, 21)                                                                                                  \
    X(ArenaRoomCreate, 22) /* a room made in an arena zone */                                                          \
    X(HallEixt, 23)                                                                                                    \
    X(HallEixtSecond, 24)                                                                                              \
    X(ChatLoading, 25)                                                                                                 \
    X(ChatSendMsg, 27)                                                                                                 \
    X(ChatMsgListen, 26)                                                                                               \
    X(ChatTargetOffline, 28) /* a private line's receiver is not online */                                             \
    X(MapList, 62)                                                                                                     \
    X(PveMapList, 94)                                                                                                  \
    X(PropShopLoad, 103)                                                                                               \
    X(HallEntered, 53)                                                                                                 \
    X(HallLeft, 54)                                                                                                    \
    /* the hall: players online (own zone, then arena zone) and boxes */                                               \
    X(HallFriendListMgr, 0)                                                                                            \
    X(HallFriendListLoading, 29)                                                                                       \
    X(HallFriendListRefesh, 30)                                                                                        \
    X(HallPlayerAttrLoading, 31)                                                                                       \
    X(HallPlayerAttrRefresh, 32)                                                                                       \
    X(ArenaFriendListLoading, 33)                                                                                      \
    X(ArenaFriendListRefesh, 34)                                                                                       \
    X(ArenaPlayerAttrLoading, 35)                                                                                      \
    X(ArenaPlayerAttrRefresh, 36)                                                                                      \
    X(OpenBox, 111)                                                                                                    \
    X(BoxesSpent, 112)    /* no free opening left */                                                                   \
    X(BoxOutOfReach, 113) /* a free box of the other row */                                                            \
    /* the room before a battle (modes 1 to 3; mode 8, whose map is fixed; mode 9, the PVE maps) */                    \
    X(RoomListen, 38)                                                                                                  \
    X(PlayerLeave, 40)                                                                                                 \
    X(RoomLoading, 37)                                                                                                 \
    X(ChangeTeam, 44)                                                                                                  \
    X(TickPlayer, 45)                                                                                                  \
    X(PlayerReady, 41)                                                                                                 \
    X(PlayerStart, 42)                                                                                                 \
    X(PositionLock, 46)                                                                                                \
    X(ChangeMap, 63)                                                                                                   \
    X(BattleSendMsg, 67)                                                                                               \
    X(PropCheckout, 104)                                                                                               \
    X(PropLoad, 105)                                                                                                   \
    X(FastJoin, 106)                                                                                                   \
    X(PersonalRoomEntered, 65)                                                                                         \
    X(FixedMapRoomLoading, 99)                                                                                         \
    X(FixedMapRoomListen, 100)                                                                                         \
    X(FixedMapPlayerLeave, 101)                                                                                        \
    X(PveRoomLoading, 91)                                                                                              \
    X(PveRoomListen, 92)                                                                                               \
    X(PvePlayerLeave, 93)                                                                                              \
    X(PveChangeMap, 95)                                                                                                \
    /* the player: attributes, friends, shops, quests */                                                               \
    X(PlayerAttrLoading, 16)                                                                                           \
    X(PlayerAttrRefresh, 17)                                                                                           \
    X(MyFriend, 68)                                                                                                    \
    X(TryRoomRoll3DModel, 69)                                                                                          \
    X(RosterOperate, 70)                                                                                               \
    X(InfFriend, 71)                                                                                                   \
    X(InfPersonal, 72)                                                                                                 \
    X(BusinessLoad, 73)                                                                                                \
    X(ArmStrongLoad, 74)                                                                                               \
    X(ShopTryOn, 80)                                                                                                   \
    X(ShopCheckout, 81)                                                                                                \
    X(GuildShopPay, 82)                                                                                                \
    X(GiftPay, 84)                                                                                                     \
    X(ArenaShopPay, 83)                                                                                                \
    X(EquipRange, 75)                                                                                                  \
    X(EquipDrop, 76)                                                                                                   \
    X(ShopPrices, 78)                                                                                                  \
    X(ShopRenewal, 77)                                                                                                 \
    X(ShopItem, 79)                                                                                                    \
    X(AddBilityPoint, 86)                                                                                              \
    X(MessionLoad, 87)                                                                                                 \
    X(QuestionLoaded, 90)                                                                                              \
    X(MessionSetting, 102)                                                                                             \
    /* the bag */                                                                                                      \
    X(EqIconLoading, 11)                                                                                               \
    X(PackageLoading, 8)                                                                                               \
    X(EquipmentList, 9)                                                                                                \
    X(BattleInf, 10)                                                                                                   \
    X(ExChangeSlot, 12)                                                                                                \
    /* the battle's end */                                                                                             \
    X(BattleLeft, 59) /* back from a battle or a lesson, the lobby is up again */                                      \
    X(PveHalfTime, 96)                                                                                                 \
    X(BattleBoxes, 97) /* the prize boxes after a battle */                                                            \
    X(PveBoxes, 98)    /* the prize boxes at a PVE battle's half time */

namespace EventId {

enum Id : int {
#define ZRK_GUI_EVENT_ID_ENUM(name, id) name = id,
    ZRK_GUI_EVENT_IDS(ZRK_GUI_EVENT_ID_ENUM)
#undef ZRK_GUI_EVENT_ID_ENUM
};

/// The highest id the plug-in carries.
constexpr int kLast = TileConfig;

struct Named {
    Id id;
    const char* name;
};

/// The table as data, in the order above: for look-ups by id and for the tests.
constexpr Named kAll[] = {
#define ZRK_GUI_EVENT_ID_ROW(name, id) {name, #name},
    ZRK_GUI_EVENT_IDS(ZRK_GUI_EVENT_ID_ROW)
#undef ZRK_GUI_EVENT_ID_ROW
};

/// The id's name; null for an id the table does not hold.
constexpr const char* nameOf(int id)
{
    for (const Named& n : kAll)
        if (n.id == id)
            return n.name;
    return nullptr;
}

} // namespace EventId

} // namespace gui
} // namespace zrk
} // namespace kavri3D
