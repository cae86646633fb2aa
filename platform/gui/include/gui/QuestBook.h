#pragma once
#include <json/value.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player's quests as the game holds them, copied for the GUI: the quest library's records
/// by quest id and the player's own quests (id, state, progress), both as the server sent them.
/// The GUI checks every value it reads; a game without quest data hands two null values.
struct QuestBook {
    Json::Value library;
    Json::Value mine;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
