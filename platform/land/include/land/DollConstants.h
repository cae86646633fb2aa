#pragma once
#include <cstdint>

// The battle's fixed numbers: load states, sim flags, trajectory answers and the dolls'
// physical constants. World units are a third of a metre; times are land seconds.

namespace kavri3D {
namespace zrk {

/// Load states the land signals, in the order a battle passes them.
enum LandLoadState {
    LOAD_NONE = 0,
    LOAD_LOADOUT = 4, ///< the room may build the battle bags
    LOAD_LOADED = 5,  ///< this client has loaded; waiting for the others
    LOAD_READY = 7,   ///< every seat has loaded (the room's "state" is 2); waiting for beginSimulator
    LOAD_RESULT = 8,  ///< the battle is decided: result on screen
    LOAD_OVER = 9,    ///< two seconds after the result: the battle is over
    LOAD_FAILED = 11  ///< the room went away while loading
};

/// The room's "state" values the land follows.
enum LandRoomState {
    ROOM_STARTING = 0, ///< the server starts a battle: its values are the new battle's
    ROOM_LOADING = 1,
    ROOM_FIGHTING = 2, ///< every seated player has loaded
    ROOM_CLOSED = 3,   ///< the server closed the finished battle
    ROOM_ABORTED = 4,  ///< the server aborted the battle
    ROOM_RESYNC = 5    ///< the server asks the client to rebuild the battle
};

/// Bits of a sim's flags.
enum SimFlag : std::uint32_t {
    SIM_MAY_FIRE = 0x4,         ///< its turn, not fired yet
    SIM_FREE_CAMERA = 0x20000,  ///< the camera may turn freely around it
    SIM_FURY_READY = 0x100000,  ///< the rage is on (R on a full fury bar): the next shot is a fury shot
    SIM_HIDE_BUBBLE = 0x200000, ///< its head bubble is not shown
    SIM_TUTOR_A = 0x1000000,    ///< tutorial marks, kept for the tutorial's own use
    SIM_TUTOR_B = 0x2000000,
    SIM_PASSIVE = 0x4000000, ///< never takes a turn
    SIM_OUT = 0x40000000,    ///< killed: out of the battle
    SIM_DOWN = 0x80000000    ///< no health left: down, may be revived
};

/// Phases a doll passes (getPhase).
enum SimPhase {
    PHASE_IDLE = 0,
    PHASE_MOVE = 1,
    PHASE_CHARGE = 2,
    PHASE_FLIGHT = 3, ///< its shells are in the air
    PHASE_DOWN = 697,
    PHASE_AGONAL = 698, ///< down in its death throes: a partner may still revive it
    PHASE_OUT = 699
};

/// Answers of ZRKLand::_targetUnderTrajectory.
enum TrajectoryCode {
    TRAJECTORY_REACHABLE = 0,
    TRAJECTORY_TOO_FAR = -1, ///< beyond the weapon's full force at that pitch
    TRAJECTORY_BLOCKED = -2  ///< the ground stands in the way
};

/// Hit flags of a shell on a target (the Hit event's "hit", the OwnStatus event's "hit").
enum HitFlag {
    HIT_GOOD = 0x1,     ///< it hurt an enemy
    HIT_PERFECT = 0x2,  ///< a direct hit
    HIT_ULTIMATE = 0x4, ///< a fury shot
    HIT_CRITICAL = 0x8, ///< a critical hit (more damage)
    HIT_SPLIT = 0x100,  ///< one of a split shot's shells
    HIT_BLANK = 0x200   ///< it hurt nobody
};

/// Immunity bits (ZRKBasicSim::setImmune, isImmuneSet).
/// Immunity bits. 0x2 marks the tutorial's practice dummies, which still fall to one hit;
/// 0x10 keeps a lesson's own doll from drowning or losing its last health.
enum ImmuneBit { IMMUNE_WIND = 0x1, IMMUNE_DUMMY = 0x2, IMMUNE_DAMAGE = 0x8, IMMUNE_WATER = 0x10 };

/// Kinds of ZRKBasicSim::invincible: 0 ends it; 1 and 2 take no damage; 3 cannot be killed.
enum InvincibleKind { INVINCIBLE_NONE = 0, INVINCIBLE_DAMAGE = 1, INVINCIBLE_SHIELD = 2, INVINCIBLE_UNDYING = 3 };

/// Camera modes of the battle scene (ZRKLand::getCameraMode).
enum LandCameraMode { CAMERA_ATTACH = 0, CAMERA_FOCUS = 1, CAMERA_ROAM = 2 };

/// Weapon kinds ("i_type" of the item record; ZRKPlayerSim::getCurrentWeaponType).
enum WeaponKind { WEAPON_ARCING = 0, WEAPON_DIRECT = 1, WEAPON_CLOSE = 2 };

/// Prop effects ("i_effect" bits of the item record).
enum PropEffect {
    PROP_HEAL = 0x1,        ///< "i_hp" health
    PROP_ENERGY = 0x2,      ///< "i_sp" energy
    PROP_FURY = 0x4,        ///< "i_fury" fury
    PROP_AMMO = 0x8,        ///< every weapon's shells back to full
    PROP_PACEMAKER = 0x1000 ///< revives its holder once when it goes down
};

/// Skills, one per key F1..F4 (SkillState::key).
enum SkillKey { SKILL_TRIPLE = 1, SKILL_HEAL = 2, SKILL_POWER = 3, SKILL_FURY = 4 };

/// PlayerBattleState::state values.
enum BattleStateCode { BATTLE_FIGHTING = 10, BATTLE_KILLED = 100 };

/// Room "mode" of a practice battle: it never ends by itself.
constexpr int ROOM_MODE_PRACTICE = 10;

/// PlayerBattleState::flags bits.
enum BattleFlag { BATTLE_WON = 0x1, BATTLE_LEFT = 0x8 };

struct DollConstants {
    static constexpr float PI = 3.14159265358979f;         ///< the land's one value of pi
    static constexpr float STEP = 0.01f;                   ///< one simulation step
    static constexpr int MAX_STEPS_PER_FRAME = 25;         ///< steps due beyond these are dropped
    static constexpr float GRAVITY = 29.4f;                ///< 9.8 m/s^2 in world units
    static constexpr float WIND_FACTOR = 0.5f;             ///< wind acceleration per unit of wind power
    static constexpr float WIND_MAX = 8.0f;                ///< strongest wind a turn may bring
    static constexpr float HIT_FACTOR_BULLET_SPEED = 1.0f; ///< world units per second per "i_speed"
    static constexpr float CTRL_FORCE_F_V_MIN = 0.3f;      ///< speed share of a shot at force 0
    static constexpr float CTRL_FORCE_MAX = 1000.0f;       ///< the force word of a full charge
    static constexpr float CHARGE_SECONDS = 2.0f;          ///< holding fire this long charges fully
    static constexpr float GUN_HEIGHT = 3.0f;              ///< gun point above the feet
    static constexpr float GUN_MUZZLE = 5.0f;              ///< shells leave this far along the barrel
    static constexpr float HIT_ACTOR_OFFSET = 3.0f;        ///< body centre above the feet
    static constexpr float HIT_ACTOR_RADIUS = 3.0f;        ///< a shell this near the body centre hits
    static constexpr float HIT_CLOSE_FAN = 90.0f;          ///< degrees of a close weapon's fan
    static constexpr float HIT_CLOSE_FAN_OFFSET = 0.0f;
    static constexpr float MOVE_SPEED = 12.0f;      ///< walking speed
    static constexpr float TURN_SPEED = 2.0f;       ///< radians per second
    static constexpr float PITCH_SPEED = 40.0f;     ///< degrees per second
    static constexpr float MOVE_ENERGY = 4.0f;      ///< energy per unit walked (factor 1)
    static constexpr float TURN_SECONDS = 20.0f;    ///< a turn's time limit
    static constexpr float SETTLE_SECONDS = 1.0f;   ///< after the last shell, before the next turn
    static constexpr float BATTLE_SECONDS = 600.0f; ///< the battle ends at this fight time
    static constexpr float RESULT_SECONDS = 2.0f;   ///< from the result (8) to the end (9)
    /// A mission's result waits for the server's answer (its boxes or its next stage), at most this.
    static constexpr float MISSION_RESULT_SECONDS = 10.0f;
    static constexpr int MAX_WAVES = 32;             ///< a mission's waves of crews, the first included
    static constexpr int MAX_NPCS_PER_WAVE = 64;     ///< crews a wave brings at most
    static constexpr float AGONAL_SECONDS = 10.0f;   ///< down this long, a doll is killed
    static constexpr float SHELL_ARM_SECONDS = 0.2f; ///< a shell cannot hit its owner before this
    static constexpr float SHELL_MAX_SECONDS = 30.0f;
    static constexpr int DELAY_TURN = 100; ///< delay every turn adds
    static constexpr int DELAY_IDLE = 150; ///< delay of a turn that ran out
    static constexpr int DEFAULT_HP = 1000;
    static constexpr int DEFAULT_SP = 1000;
    static constexpr int DEFAULT_FURY = 200;
    static constexpr float AIM_LIMIT = 1.0e6f; ///< aiming arguments beyond this are refused
};

} // namespace zrk
} // namespace kavri3D
