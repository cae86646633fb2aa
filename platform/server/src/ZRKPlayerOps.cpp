#include "server/ZRKPlayerOps.h"

#include <cctype>
#include <string>
#include <vector>
#include <yake/StringUtil.h>

#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The logged-in player's record; null (refused) when the world has lost it.
const ZRKWorld::Player* self(ZRKServerCall& call)
{
    if (const ZRKWorld::Player* p = call.world().player(call.player))
        return p;
    call.refuse("error/srv_no_person", "the player " + call.player + " is not in the world");
    return nullptr;
}

/// The information views of a player, under the name the game asked with; false (refused)
/// when there is no such player.
bool infoViews(ZRKServerCall& call, const std::string& name, const std::string& uid)
{
    // The own card as every other player's: the hall shows it by nickname and level too.
    std::shared_ptr<const Json::Value> card = call.card(name);
    if (!card) {
        call.refuse("error/srv_no_person", "no player " + name);
        return false;
    }
    call.share("userInfo/" + uid, card);
    call.share("userSetting/" + uid, call.world().sharedPlayerView(name, ZRKWorld::SettingsView));
    return true;
}

/// The own player's views: its character and the list of the account's characters.
void ownViews(ZRKServerCall& call)
{
    call.share("pc", call.world().sharedPlayerView(call.player, ZRKWorld::PcView));
    call.share("userSettings", call.world().sharedCharactersView(call.player));
}

void queryUserInfo0(ZRKServerCall& call)
{
    if (infoViews(call, call.player, call.account))
        ownViews(call);
}

/// Another player's information, or the own one.
void queryUserInfo(ZRKServerCall& call)
{
    std::string uid;
    if (!ZRKServerCall::readText(call.arg(0), uid))
        return call.refuse("error/srv_bad_request", "no user id");
    const std::string name = uid.empty() || uid == call.account ? call.player : uid;
    if (infoViews(call, name, uid.empty() ? call.account : uid) && name == call.player)
        ownViews(call);
}

void queryUserDefState(ZRKServerCall& call)
{
    std::string uid;
    if (!ZRKServerCall::readText(call.arg(0), uid))
        return call.refuse("error/srv_bad_request", "no user id");
    const bool own = uid.empty() || uid == call.account || uid == call.player;
    const ZRKWorld::Player* p = call.world().player(own ? call.player : uid);
    if (!p)
        return call.refuse("error/srv_no_person", "no player " + uid);
    // Another player's look is kept under his name: it must never replace the own one.
    std::vector<std::string> names;
    if (own)
        names.push_back("defState");
    if (!uid.empty())
        names.push_back("defState/" + uid);
    for (const std::string& name : names)
        if (p->looks)
            call.share(name, p->looks);
        else
            call.views[name] = Json::Value();
}

/// The own bag ([role]); or another player's ([user id, player id, refresh]) as "inventory1",
/// which never takes the own bag's place.
void queryUserInventory(ZRKServerCall& call)
{
    if (!call.arg(0).isString())
        return call.share("inventory", call.world().sharedInventoryView(call.player));
    std::string uid;
    long long pcId = 0;
    ZRKServerCall::readText(call.arg(0), uid);
    const std::string name = uid.empty() || uid == call.account ? call.player : uid;
    const ZRKWorld::Player* p = call.world().player(name);
    if (!p || (ZRKServerCall::readNumber(call.arg(1), pcId) && pcId != 0 && pcId != p->pcId))
        return call.refuse("error/srv_no_person", "no player " + uid.substr(0, 40) + " of that player id");
    call.share("inventory1", call.world().sharedInventoryView(name));
}

void queryPcStats(ZRKServerCall& call)
{
    if (const ZRKWorld::Player* p = self(call))
        call.share("lib/stats", p->record ? p->record : std::make_shared<const Json::Value>());
}

/// The player's quests; with the first argument true the quest library comes along.
void getPcQuestList(ZRKServerCall& call)
{
    call.share("pcQuests", call.world().sharedQuests(call.player));
    const Json::Value& withLibrary = call.arg(0);
    if (withLibrary.isBool() && withLibrary.asBool())
        call.views["lib/quest"] = call.world().document("lib/quest");
}

/// One of the player's lists, under its view name; an empty list or record when it has none.
void listView(ZRKServerCall& call, const char* list, const char* view, bool isObject)
{
    const ZRKWorld::Player* p = self(call);
    if (!p)
        return;
    const Json::Value& lists = ZRKWorld::Player::doc(p->lists);
    const Json::Value& value = lists.isObject() ? lists[list] : Json::Value::nullSingleton();
    const bool fits = isObject ? value.isObject() : value.isArray();
    call.views[view] = fits ? value : Json::Value(isObject ? Json::objectValue : Json::arrayValue);
}

void queryPcTitle(ZRKServerCall& call) { listView(call, "titles", "pcTitles", false); }
void queryPlayerGuild(ZRKServerCall& call) { listView(call, "guild", "guild", true); }
void queryMyArena(ZRKServerCall& call) { listView(call, "arena", "arena", true); }
void queryPlayerGuard(ZRKServerCall& call) { listView(call, "guard", "guard", true); }
void getPcPurposeList(ZRKServerCall& call) { listView(call, "purposes", "pcPurposes", false); }
void getPcBluDrillList(ZRKServerCall& call) { listView(call, "bludrill", "pcBluDrill", true); }

/// Points onto the four abilities: {dex:..,luk:..,str:..,vit:..}; the server decides whether the
/// player has them. The answer carries nothing: points spent tell the player with the avatar
/// notice (its "pc"), so his page shows them.
void addStatsPoint(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    long long add[4];
    for (int a = 0; a < 4; ++a)
        if (!args.isObject() || !ZRKServerCall::readNumber(args[ZRKWorld::kAbilityNames[a]], add[a]))
            return call.refuse("error/srv_bad_request",
                               std::string("no whole number for ") + ZRKWorld::kAbilityNames[a]);
    std::string refusal;
    if (!call.world().addAbilities(call.player, add, refusal))
        return call.refuse(refusal, "the points are not there");
    if (add[0] + add[1] + add[2] + add[3] > 0) {
        ZRKServerCore& server = call.server;
        const std::string player = call.player;
        call.committed = [&server, player]() { server.tellGrade(player); };
    }
}

// Slot numbers stay far below this; a larger one is in no bag (and must not wrap into one).
const long long kLastSlot = 1000;
const std::size_t kMostBatchSlots = 400;

/// Moves the pairs of "slot_batch" ("61,3,62,5"), then the item from "slot_from" to "slot_to"
/// (swapping with what is there), all or none. The answer holds the new bag and the slots changed.
void changeSlot(ZRKServerCall& call)
{
    const Json::Value& tree = call.arg(0);
    long long from = 0, to = 0;
    if (!tree.isObject() || !ZRKServerCall::readNumber(tree["slot_from"], from) ||
        !ZRKServerCall::readNumber(tree["slot_to"], to))
        return call.refuse("error/srv_bad_request", "no slots");
    if (from < 0 || from > kLastSlot || to < 0 || to > kLastSlot)
        return call.refuse("error/srv_slot", "a slot out of every bag");
    std::vector<std::pair<int, int>> moves;
    std::string batch;
    if (ZRKServerCall::readText(tree["slot_batch"], batch) && !batch.empty()) {
        std::vector<long long> numbers;
        std::size_t at = 0;
        while (at <= batch.size()) {
            const std::size_t comma = std::min(batch.find(',', at), batch.size());
            long long n = 0;
            if (!ZRKServerCall::readNumber(Json::Value(batch.substr(at, comma - at)), n))
                return call.refuse("error/srv_bad_request", "a batch slot is not a number");
            if (n < 0 || n > kLastSlot || numbers.size() >= kMostBatchSlots)
                return call.refuse("error/srv_slot", "a batch slot out of every bag, or too many");
            numbers.push_back(n);
            at = comma + 1;
        }
        if (numbers.size() % 2)
            return call.refuse("error/srv_bad_request", "a batch move without its target");
        for (std::size_t i = 0; i < numbers.size(); i += 2)
            moves.emplace_back(static_cast<int>(numbers[i]), static_cast<int>(numbers[i + 1]));
    }
    moves.emplace_back(static_cast<int>(from), static_cast<int>(to));
    std::string refusal;
    std::vector<int> changed;
    if (!call.world().moveItems(call.player, moves, refusal, &changed))
        return call.refuse(refusal, "the move does not fit the bags");
    // The bag goes out whole; the slots it changed beside it.
    call.share("inventory", call.world().sharedInventoryView(call.player));
    Json::Value& dirty = call.views["inventoryDirty"] = Json::Value(Json::arrayValue);
    for (int slot : changed)
        dirty.append(slot);
}

/// The longest nickname, in characters.
const std::size_t kNickMaxChars = 16;

/// Why a nickname cannot be had (a message key), or empty when it is well formed: 1 to 16
/// characters of letters and digits of A to Z, "_", "-", or well-formed characters beyond ASCII.
std::string nicknameFault(const std::string& nick)
{
    if (nick.empty())
        return "error/role_name_empty";
    std::size_t chars = 0;
    for (std::size_t i = 0; i < nick.size(); ++chars) {
        const unsigned char c = static_cast<unsigned char>(nick[i]);
        if (c < 0x80) {
            if (!std::isalnum(c) && c != '_' && c != '-')
                return "error/role_name_bad";
            ++i;
            continue;
        }
        // A well-formed UTF-8 character: no stray continuation byte, no overlong form, no
        // surrogate, nothing beyond U+10FFFF.
        const std::size_t length = yake::StringUtil::utf8Length(nick, i);
        if (length == 0)
            return "error/role_name_bad";
        i += length;
    }
    return chars > kNickMaxChars ? "error/role_name_long" : std::string();
}

/// The account's character: [sex "1" or "2", nickname]. The reply carries the new player's views.
void queryUserCreateChar(ZRKServerCall& call)
{
    std::string sex, nick;
    if (!ZRKServerCall::readText(call.arg(0), sex) || !ZRKServerCall::readText(call.arg(1), nick) ||
        (sex != "1" && sex != "2"))
        return call.refuse("error/srv_bad_request", "no sex and nickname");
    const ZRKWorld::Player* p = self(call);
    if (!p)
        return;
    if (p->pcId != 0)
        return call.refuse("error/role_exists", "the account has a character");
    const std::string fault = nicknameFault(nick);
    if (!fault.empty())
        return call.refuse(fault, "the nickname is not allowed");
    if (call.world().nicknameTaken(nick))
        return call.refuse("error/role_name_taken", "the nickname is taken");
    std::string refusal;
    if (!call.world().createCharacter(call.player, nick, sex == "1" ? 1 : 2, refusal))
        return call.refuse(refusal, "the character could not be made");
    if (infoViews(call, call.player, call.account))
        call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
}

/// The own character's default look: {pc_id, def_hair, def_face, def_coat, def_glove, def_shoes}.
void regDefState(ZRKServerCall& call)
{
    const Json::Value& tree = call.arg(0);
    const ZRKWorld::Player* p = self(call);
    if (!p)
        return;
    long long pcId = 0;
    if (!tree.isObject() || !ZRKServerCall::readNumber(tree["pc_id"], pcId) || pcId == 0 || pcId != p->pcId)
        return call.refuse("error/srv_bad_request", "not the own character");
    Json::Value looks = ZRKWorld::Player::doc(p->looks);
    if (!looks.isObject())
        looks = Json::Value(Json::objectValue);
    for (const char* part : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"}) {
        long long index = 0;
        if (!ZRKServerCall::readNumber(tree[part], index) || index < 0 || index > 999)
            return call.refuse("error/srv_bad_request", std::string("no index for ") + part);
        looks[part] = static_cast<Json::Int>(index);
    }
    if (!call.world().setLooks(call.player, looks))
        return call.refuse("error/unknow_wrong", "the look could not be kept");
    call.views["defState"] = looks;
}

/// The tutorial's progress: (task, pc_id); kept only when it goes up, so replaying an early
/// lesson never takes a later one away.
void updateNewbieTask(ZRKServerCall& call)
{
    long long task = 0;
    if (!ZRKServerCall::readNumber(call.arg(0), task) || task < 0 || task > 1000)
        return call.refuse("error/srv_bad_request", "no lesson number");
    if (!call.world().raiseNewbieTask(call.player, task))
        return call.refuse("error/unknow_wrong", "the lesson could not be kept");
    if (infoViews(call, call.player, call.account))
        ownViews(call);
}

} // namespace

std::string ZRKPlayerOps::nameFault(const std::string& nick) { return nicknameFault(nick); }

void ZRKPlayerOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    const unsigned changes = ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes;
    ops.add("queryUserInfo0", &queryUserInfo0, reads);
    ops.add("queryUserInfo", &queryUserInfo, reads);
    ops.add("queryUserDefState", &queryUserDefState, reads);
    ops.add("queryUserInventory", &queryUserInventory, reads);
    ops.add("queryPcStats", &queryPcStats, reads);
    ops.add("getPcQuestList", &getPcQuestList, reads);
    ops.add("queryPcTitle", &queryPcTitle, reads);
    ops.add("queryPlayerGuild", &queryPlayerGuild, reads);
    ops.add("queryMyArena", &queryMyArena, reads);
    ops.add("queryPlayerGuard", &queryPlayerGuard, reads);
    ops.add("getPcPurposeList", &getPcPurposeList, reads);
    ops.add("getPcBluDrillList", &getPcBluDrillList, reads);
    ops.add("addStatsPoint", &addStatsPoint, changes);
    ops.add("changeSlot", &changeSlot, changes);
    ops.add("queryUserCreateChar", &queryUserCreateChar, changes);
    ops.add("regDefState", &regDefState, changes);
    ops.add("updateNewbieTask", &updateNewbieTask, changes);
}

} // namespace zrk
} // namespace kavri3D
