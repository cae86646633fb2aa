#include "battle/hud/BattleStatusProvider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <CEGUI/CEGUI.h>
#include <data/ZRKPlayerState.h>
#include <text/CeguiText.h>
#include <json/json.h>
#include <land/ILandRoom.h>
#include <land/PlayerBattleState.h>
#include <land/SkillState.h>
#include <land/WeaponBag.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <util/MissionRule.h>
#include <yake/Time.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

namespace {
/// A float ratio, 0 for a maximum of 0 or less.
float ratio(int value, int max) { return max > 0 ? static_cast<float>(value) / static_cast<float>(max) : 0.0f; }

/// A hundredths count held to the record's 16 bits.
std::uint32_t hundredths(float seconds)
{
    const float v = seconds * 100.0f + 0.5f;
    return !(v > 0.0f) ? 0u : v >= 65535.0f ? 0xFFFFu : static_cast<std::uint32_t>(v);
}

std::string tableString(const std::map<int, Json::Value>& table, int id, const char* key)
{
    auto it = table.find(id);
    if (it == table.end() || !it->second.isObject())
        return std::string();
    const Json::Value& v = it->second[key];
    return v.isString() ? v.asString() : std::string();
}

/// The length of the text without its last UTF-8 character.
std::size_t withoutLast(const std::string& text)
{
    std::size_t n = text.size();
    while (n > 0 && (static_cast<unsigned char>(text[n - 1]) & 0xC0) == 0x80)
        --n; // continuation bytes
    return n > 0 ? n - 1 : 0;
}
} // namespace

std::string BattleStatusProvider::clipToWidth(const std::string& text, float width)
{
    CEGUI::System* gui = CEGUI::System::getSingletonPtr();
    const CEGUI::Font* font = gui ? gui->getDefaultGUIContext().getDefaultFont() : nullptr;
    if (!font)
        return text;
    const auto wide = [font, width](const std::string& t) {
        return font->getTextExtent(gui::toCeguiString(t), 1.0f) > width;
    };
    if (!wide(text))
        return text;
    std::string s = text;
    while (!s.empty()) {
        s.resize(withoutLast(s));
        const std::string candidate = s + "\xE2\x80\xA6"; // the ellipsis
        if (!wide(candidate) || s.empty())
            return candidate;
    }
    return "\xE2\x80\xA6";
}

void BattleStatusProvider::getPlayerList(PlayerEntry* entries, int n)
{
    ZRKLand* land = mRoom.getLand();
    if (!land || !land->isLoaded() || !entries || n <= 0)
        return;
    ILandRoom* room = land->getZRKRoom();
    const int dolls = static_cast<int>(land->getAllDoll().size());
    if (!mNicknamesBuilt || dolls > mDollCount) {
        ++mNicknameBuilds;
        mNicknames.assign(static_cast<std::size_t>(n), std::string());
        for (int i = 0; i < n; ++i) {
            const std::string id = room && i < room->getSlotCount() ? room->getSeatPlayer(i) : std::string();
            if (!id.empty())
                mNicknames[static_cast<std::size_t>(i)] =
                    clipToWidth(room->getPlayerSettings(id).getStringVal("pc_nickname", ""), kNicknameWidth);
        }
        mNicknamesBuilt = true;
    }
    mDollCount = dolls;
    const ZRKPlayerSim* me = land->getMyDoll();
    for (int i = 0; i < n; ++i) {
        PlayerEntry& e = entries[i];
        const std::string id = room && i < room->getSlotCount() ? room->getSeatPlayer(i) : std::string();
        ZRKPlayerSim* doll = id.empty() ? nullptr : land->getDoll(id);
        e.valid = doll != nullptr;
        if (!doll)
            continue;
        const ZRKBattleState& b = doll->getBattle();
        e.hp = ratio(b.hp, b.xhp);
        e.sp = b.xsp > 0 ? 2.0f * ratio(b.sp, b.xsp) - 1.0f : -1.0f;
        e.nickname =
            static_cast<std::size_t>(i) < mNicknames.size() ? mNicknames[static_cast<std::size_t>(i)] : std::string();
        yake::math::Vector3 p = doll->getPosition();
        if (mRoom.projectToRadar(p)) {
            e.radarX = p.x;
            e.radarY = p.y;
        }
        e.colour = static_cast<std::uint8_t>(doll->getColour());
        e.out = doll->getPlayerBattle().state == 100;
        e.me = doll == me;
    }
}

void BattleStatusProvider::getSkillStates(SkillEntry* entries, int& count)
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    if (!me || !entries || count <= 0) {
        count = 0;
        return;
    }
    const std::vector<SkillState>& skills = me->getSkillStates();
    const int n = std::min(count, static_cast<int>(skills.size()));
    const float now = land->getTimeNow();
    for (int i = 0; i < n; ++i) {
        const SkillState& s = skills[static_cast<std::size_t>(i)];
        SkillEntry& e = entries[i];
        e.key = s.key;
        e.numMax = s.num_max;
        e.numCur = s.num_cur;
        e.flags = static_cast<std::uint8_t>((s.enabled ? 0 : 0x80) | (s.state & 0x7F));
        float percent = 0.0f;
        if (s.state == 1 && s.duration > 0.0f)
            percent = (now - s.start) * 100.0f / s.duration;
        e.progress =
            static_cast<std::uint8_t>(std::isfinite(percent) ? std::min(std::max(percent, 0.0f), 100.0f) : 0.0f);
    }
    count = n;
}

void BattleStatusProvider::getBattleStatus(BattleStatus& status)
{
    ZRKLand* land = mRoom.getLand();
    status.wind = mWindText;
    if (!land || !land->isLoaded()) {
        status.fightTime = 0;
        status.score[0] = status.score[1] = 0;
        status.tactic = 0;
        status.countdown = -1;
        status.noImmunity = true;
        return;
    }
    const float fight = land->getTimeFighting();
    status.fightTime = fight > 0.0f ? static_cast<int>(fight) : 0;
    status.score[0] = land->getTeamScore(0);
    status.score[1] = land->getTeamScore(1);
    const float wind = land->getWindPowerHUD();
    if (wind != mLastWind) {
        mLastWind = wind;
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", std::isfinite(wind) ? wind : 0.0f);
        mWindText = text;
    }
    status.wind = mWindText;
    const int tactic = land->getTacticId();
    status.tactic = tactic;
    status.countdown = -1;
    const float deadline = mRoom.getSweepEnd();
    if (deadline > 0.0f && land->getLoadState() == LOAD_RESULT)
        status.countdown =
            static_cast<int>(std::max(deadline - static_cast<float>(yake::native::getTime()), 0.0f) + 0.5f);
    const ZRKPlayerSim* me = land->getMyDoll();
    status.noImmunity = !(me && me->isImmuneSet(1) > 0);
    if (tactic == 2 && status.countdown == -1 && status.fightTime > 0 && status.fightTime < 16)
        status.countdown = status.fightTime;
    if (tactic == 3) {
        if (status.countdown == -1 && status.fightTime > 0 && status.fightTime < 31)
            status.countdown = status.fightTime;
        if (const DemesneState* held = land->_lhGetHoldingDemesne()) {
            mDemesne = *held;
            mDemesne.progress = std::min(std::max(mDemesne.progress, 0), 100);
            status.extra.setAttr("demesne", static_cast<const DemesneState*>(&mDemesne));
        }
        if (!mFirstStatusSent)
            status.extra.setAttr("score_max", 40);
    }
    if (tactic == core::MissionRule::kTactic) {
        const int scenario = land->getCurrentScenario();
        int alive = 0;
        for (const auto& npc : land->getAllNpc())
            if (!npc.second->isDead())
                ++alive;
        if (scenario != mLastScenario || alive != mLastAlive) {
            mLastScenario = scenario;
            mLastAlive = alive;
            PVEStatus stat;
            stat.scenario = scenario + 1;
            int total = 0;
            while (total < 256 && land->getMapConfig().hasKey("scenario/" + std::to_string(total)))
                ++total;
            stat.scenarioTotal = 1 + total;
            stat.alive = alive;
            status.extra.setAttr("stat", stat);
        }
    }
    mFirstStatusSent = true;
}

void BattleStatusProvider::getBags(Bags& bags)
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    if (!me)
        return;
    for (std::uint32_t& cd : bags.weaponCd)
        cd = 0;
    bags.bagCd = 0;
    const std::vector<WeaponState>& weapons = me->getWeaponBag()->getSlots();
    const int slots = std::min(static_cast<int>(weapons.size()), 9);
    // The icons are read again when the level changes or a slot holds another weapon (one
    // given or taken in the fight).
    bool changed = me->getPlayerBattle().level != mBagCache.level;
    for (int i = 0; i < kWeaponSlots; ++i) {
        const int item = i < slots && !weapons[static_cast<std::size_t>(i)].empty()
                             ? weapons[static_cast<std::size_t>(i)].itemId
                             : 0;
        changed = changed || item != mBagItems[i];
        mBagItems[i] = item;
    }
    if (changed) {
        mBagCache.level = me->getPlayerBattle().level;
        for (int i = 0; i < kWeaponSlots; ++i) {
            mBagCache.weaponIcon[i].clear();
            mBagCache.weaponEffect[i].clear();
        }
        for (int i = 0; i < slots; ++i) {
            const WeaponState& w = weapons[static_cast<std::size_t>(i)];
            // A weapon the battle's own table does not list shows its item picture.
            std::string icon = w.empty() ? std::string() : tableString(mRoom.getWeaponTable(), w.itemId, "icon");
            if (icon.empty() && !w.empty())
                icon = tableString(mRoom.getItemTable(), w.itemId, "icon");
            mBagCache.weaponIcon[i] = icon;
            mBagCache.weaponEffect[i] =
                w.empty() ? std::string() : tableString(mRoom.getWeaponTable(), w.itemId, "boom");
        }
    }
    for (int i = 0; i < kWeaponSlots; ++i) {
        bags.weaponIcon[i] = mBagCache.weaponIcon[i];
        bags.weaponEffect[i] = mBagCache.weaponEffect[i];
        bags.weaponCount[i] = -1;
    }
    for (int i = 0; i < 3; ++i)
        bags.flags[i] = mBagCache.flags[i];
    bags.level = mBagCache.level;
    bags.rank = me->getPlayerBattle().rank;
    const int current = me->getPlayerBattle().weapon;
    bags.current =
        current >= 0 && current < slots && !weapons[static_cast<std::size_t>(current)].empty() ? current : -1;
    bags.bagCd = me->getWeaponBag()->getCD();
    const float now = land->getTimeNow();
    for (int i = 0; i < slots; ++i) {
        const WeaponState& w = weapons[static_cast<std::size_t>(i)];
        if (w.empty())
            continue;
        if (w.limited)
            bags.weaponCount[i] = w.getCount();
        if (w.lastUse > 0.0f) {
            const float full = static_cast<float>(w.getSettings().getIntVal("i_cd_time", 10000)) * 0.001f;
            const float rest = now - w.lastUse - full;
            if (rest < 0.0f)
                bags.weaponCd[i] = hundredths(-rest) | (hundredths(full) << 16);
        }
    }
    const std::vector<PropState>& props = me->getCurrentPropBag()->getSlots();
    for (int i = 0; i < kPropSlots; ++i) {
        const bool used = static_cast<std::size_t>(i) < props.size() && !props[static_cast<std::size_t>(i)].empty();
        bags.propIcon[i] =
            used ? tableString(mRoom.getItemTable(), std::atoi(props[static_cast<std::size_t>(i)].id.c_str()), "icon")
                 : std::string();
        bags.propCount[i] = used ? props[static_cast<std::size_t>(i)].count : 0;
    }
}

void BattleStatusProvider::getCrateMarks(std::vector<CrateMark>& marks)
{
    ZRKLand* land = mRoom.getLand();
    marks.clear();
    if (!land || !land->isLoaded())
        return;
    for (const ZRKLand::CrateMark& crate : land->getCrateMarks()) {
        CrateMark m;
        m.name = crate.name;
        yake::math::Vector3 p = crate.position;
        if (mRoom.projectToRadar(p)) {
            m.x = p.x;
            m.y = p.y;
        }
        marks.push_back(m);
    }
}

} // namespace zrk
} // namespace kavri3D
