#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <core/RtObjectAttrMap.h>
#include <vector>
#include "gui/IBattleOver.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// What the battle screen reads of the battle; the battle room hands one over at the start
/// of the fight and an empty one when it ends. The screen pulls it every frame.
class IBattleStatus {
public:
    /// One seat of the room.
    struct PlayerEntry {
        float hp = 0.0f;                    ///< health share 0..1
        float sp = -1.0f;                   ///< energy bar, -1 (empty) .. 1 (full)
        std::string nickname;               ///< clipped to the bar's width
        float radarX = 0.0f, radarY = 0.0f; ///< pixels on the radar's picture
        std::uint8_t colour = 0;            ///< team colour code
        bool valid = false;                 ///< a seated player with a doll; nothing else is written otherwise
        bool out = false;                   ///< the doll's battle state is "out" (code 100)
        bool me = false;
    };
    /// One skill of the own doll.
    struct SkillEntry {
        int key = 0;
        int numMax = 0;
        int numCur = 0;
        std::uint8_t flags = 0;    ///< 0x80 locked, or-ed with the skill's state
        std::uint8_t progress = 0; ///< percent of a running skill
    };
    /// The state of a scenario battle (in the record's "stat").
    struct PVEStatus {
        int scenario = 0; ///< the current one, from 1
        int scenarioTotal = 0;
        int alive = 0; ///< NPCs still standing
    };
    struct BattleStatus {
        int fightTime = 0; ///< whole seconds
        int score[2] = {0, 0};
        int tactic = 0;
        int countdown = -1; ///< seconds, -1 for none
        bool noImmunity = true;
        std::string wind; ///< as shown ("%.1f")
        /// Optional values: "demesne" (the land's holding state), "score_max" (int), "stat" (PVEStatus).
        core::RtObjectAttrMap extra;
    };
    static constexpr int kWeaponSlots = 10; ///< the record's; the battle fills 9
    static constexpr int kPropSlots = 6;
    /// The own doll's weapons and props.
    struct Bags {
        int level = -1; ///< the battle-state level value the icons were read at
        int rank = 0;   ///< passed through
        std::string weaponIcon[kWeaponSlots];
        int weaponCount[kWeaponSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}; ///< -1: no limit
        /// Low 16 bits: cool-down left, high 16 bits: the whole cool-down, in hundredths of a second.
        std::uint32_t weaponCd[kWeaponSlots] = {};
        std::string weaponEffect[kWeaponSlots];
        std::string propIcon[kPropSlots];
        int propCount[kPropSlots] = {};      ///< uses left of each prop; 0 for an empty slot
        bool flags[3] = {false, true, true}; ///< passed through
        int bagCd = 0;                       ///< the weapon bag's own cool-down
        int current = -1;                    ///< the weapon in hand; -1 none
    };
    struct CrateMark {
        std::string name;
        float x = 0.0f, y = 0.0f; ///< pixels on the radar's picture
    };

    virtual ~IBattleStatus() = default;
    /// Fills at most n entries, one per seat index.
    virtual void getPlayerList(PlayerEntry* entries, int n) = 0;
    /// `count` is the array's capacity on the way in, the entries filled on the way out.
    virtual void getSkillStates(SkillEntry* entries, int& count) = 0;
    virtual void getBattleStatus(BattleStatus& status) = 0;
    virtual void getBags(Bags& bags) = 0;
    virtual void getCrateMarks(std::vector<CrateMark>& marks) = 0;
};

/// The battle screen's own interface: its message lines, the radar and the status it reads.
class IBattlePanel {
public:
    virtual ~IBattlePanel() = default;
    /// A message line: team (-1 all, -3 clears), player id, nickname, text, this client only.
    virtual void line(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
                      bool local) = 0;
    /// A weapon notice of the own doll (weapon slot and what it tells).
    virtual void next(int first, int second) = 0;
    virtual void setRadarSize(float width, float height) = 0;
    virtual void setRadarScale(float scale) = 0;
    /// Where the own doll looks, as a direction on the radar.
    virtual void setRadarOrientation(float x, float y) = 0;
    virtual void setStatusProvider(boost::shared_ptr<IBattleStatus> status) = 0;
    /// The five set-up values the battle gives at the start of the fight.
    virtual void setTurnSeconds(float seconds) = 0;
    virtual void setMode(int mode) = 0;
    virtual void setLineSeconds(float seconds) = 0;
    virtual void setFlags(int flags) = 0;
    virtual void setStage(int stage) = 0;

    // The battle screen's own doll.
    /// Health, its maximum, the energy maximum and the energy, in that order.
    virtual void setHealth(float hp, float xhp, float xsp, float sp) = 0;
    /// The health last set (-1 before any).
    virtual float getHealth() const = 0;
    virtual void setFury(float fury, float xfury) = 0;
    /// Whether the combo titles are shown (1) or hidden (0).
    virtual void setComboState(int shown) = 0;
    /// The own run of hitting turns.
    virtual void setCarom(int carom) = 0;
    /// A tutorial lesson's lock: unlocked (false), the screen tells how to leave the lesson.
    virtual void setNewbieLock(bool locked) = 0;
};

/// The host of the battle screen ("Battle" panel).
class IBattlePanelHost {
public:
    virtual ~IBattlePanelHost() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
    /// Called every frame of the battle.
    virtual void update(float dt) = 0;
    virtual IBattlePanel* getPanel() = 0;
    /// Where the bar's top edge stands, as a share of the screen's height from its top; 1 while
    /// the bar is not shown. What floats over the battle (head bubbles) keeps above it.
    virtual float getTop() const = 0;
};

/// A box-opening screen of a battle's half time.
class IBoxPanel : public IOpenBoxData {
public:
    virtual void setOffers(const std::vector<IBattleOver::BoxOffer>& offers) = 0;
    /// The count-down runs from start to end (seconds since the screen opened).
    virtual void setCountDown(float start, float end) = 0;
    virtual void setSlots(const std::vector<IBattleOver::AwardSlot>& slots) = 0;
    /// Called every frame with the game clock's time.
    virtual void update(float now) = 0;
    virtual bool isShown() const = 0;
};

/// The half-time screen between two stages of a mission: the stage won and the one coming,
/// without boxes; the next stage's battle takes the screen from it.
class IHalfTimeView {
public:
    virtual ~IHalfTimeView() = default;
    /// What the screen says: the stage won and the stage that comes next.
    virtual void setStages(const std::string& won, const std::string& next) = 0;
    virtual bool isShown() const = 0;
};

/// The view of a doll in the battle (its player's card).
class IDollView {
public:
    virtual ~IDollView() = default;
    virtual void close() = 0;
    /// The tip of the growth road under the battle bar: hidden, or shown with a title, its
    /// text, for so many milliseconds (0 until hidden) and its flags.
    virtual void hide() = 0;
    virtual void show(const std::string& title, const std::string& text, int milliseconds, int flags) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
