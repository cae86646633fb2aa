#pragma once

namespace kavri3D {
namespace zrk {

/// The numbered events of a battle: what the land tells the battle room through the engine's
/// event manager (the previews first go to the land's own previews), and the lesson's one.
/// Each row says what the event carries: attributes by name, "params" for the event's
/// parameter set. The land raises, the room registers and compares the names, never the
/// numbers: `events().make(LandEventId::OwnStatus)`. A new event is one row here.
#define ZRK_LAND_EVENT_IDS(X)                                                                                          \
    /* previews: the battle room may turn them into battle messages before they go out */                              \
    X(DollDying, 6112)  /* a doll went down, not yet out: "uid" */                                                     \
    X(DollKilled, 6113) /* a doll killed by another: "uid" (the dead), "killer" */                                     \
    X(DollLost, 6114)   /* a doll drowned, or died with no killer: "uid", "killer" (may be empty) */                   \
    /* the own doll */                                                                                                 \
    X(PropUsed, 6201) /* the own doll used a prop: "prop" (its slot) */                                                \
    /* the land's events for the battle room, 6501 to 6509 */                                                          \
    X(Hit, 6501)           /* a hit or a heal: "playerId"; params "type", "hit", "level", "health", "hitter" */        \
    X(ItemGained, 6502)    /* the own doll picked up a crate: "id" ("si_" and its kind) */                             \
    X(Gains, 6503)         /* what the own doll gained: "playerId"; params "hp", "sp", "fury", "combo" */              \
    X(Reserved1, 6504)     /* raised by nobody; the room's land handler takes it and does nothing */                   \
    X(BattleMessage, 6505) /* a chat line: "uid", "team", "msg", "argv", "local", "res" */                             \
    X(Effect, 6506)        /* a scene effect or Flash, or its end: "flash", "pid", "key", "mi", "revoke" ... */        \
    X(GuideText, 6507)     /* the guide before the fight: "prompt", "timeout" (seconds) */                             \
    X(SyncOrAbort, 6508)   /* the room resynchronises ("sync") or the battle ends ("sabort": aborted) */               \
    X(Reserved2, 6509)     /* raised by nobody; the room's land handler takes it and does nothing */                   \
    /* dolls and NPCs */                                                                                               \
    X(OwnStatus, 6510)  /* the own doll's news, one attribute each ("hp", "hit", "killCount", ...) */                  \
    X(DollBubble, 6511) /* a doll's head bubble needs drawing again: "playerId" */                                     \
    X(NpcBubble, 6512)  /* an NPC's head bubble needs drawing again: "name" */                                         \
    X(NpcKilled, 6513)  /* an NPC is out: "name" */                                                                    \
    /* loading */                                                                                                      \
    X(LoadProgress, 6514) /* a player's loading: "playerId", "lower", "upper" (101 done), "speed" */                   \
    X(LessonReady, 7000)  /* the lesson's own, raised by the lesson room: every player has loaded */

namespace LandEventId {

enum Id : int {
#define ZRK_LAND_EVENT_ID_ENUM(name, id) name = id,
    ZRK_LAND_EVENT_IDS(ZRK_LAND_EVENT_ID_ENUM)
#undef ZRK_LAND_EVENT_ID_ENUM
};

struct Named {
    Id id;
    const char* name;
};

/// The table as data, in the order above: for log lines and for the tests.
constexpr Named kAll[] = {
#define ZRK_LAND_EVENT_ID_ROW(name, id) {name, #name},
    ZRK_LAND_EVENT_IDS(ZRK_LAND_EVENT_ID_ROW)
#undef ZRK_LAND_EVENT_ID_ROW
};

/// The id's name; null for an id the table does not hold.
constexpr const char* nameOf(int id)
{
    for (const Named& n : kAll)
        if (n.id == id)
            return n.name;
    return nullptr;
}

} // namespace LandEventId

} // namespace zrk
} // namespace kavri3D
