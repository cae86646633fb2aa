#pragma once
#include <cstddef>
#include <set>
#include <vector>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// The game keys of the window, by scan code (the numbers of CEGUI's Key::Scan): which are
/// held, and the presses and releases in the order they came. The window feeds it; the
/// battle's own doll reads it.
class KeyInput : public Singleton<KeyInput> {
public:
    enum Scan {
        KC_ESCAPE = 0x01,
        KC_1 = 0x02, // 1..9 are 0x02..0x0A
        KC_9 = 0x0A,
        KC_W = 0x11,
        KC_R = 0x13,
        KC_J = 0x24,
        KC_A = 0x1E,
        KC_S = 0x1F,
        KC_D = 0x20,
        KC_Z = 0x2C,
        KC_X = 0x2D,
        KC_C = 0x2E,
        KC_V = 0x2F,
        KC_B = 0x30,
        KC_SPACE = 0x39,
        KC_F1 = 0x3B, // F1..F4 are 0x3B..0x3E
        KC_F4 = 0x3E,
        KC_UP = 0xC8,
        KC_LEFT = 0xCB,
        KC_RIGHT = 0xCD,
        KC_DOWN = 0xD0,
    };
    struct KeyEvent {
        int scan;
        bool down;
    };
    /// Events kept for a reader that has not read them; older ones are dropped.
    static constexpr std::size_t kMaxPending = 64;

    void injectKeyDown(int scan);
    void injectKeyUp(int scan);
    bool isKeyDown(int scan) const { return mHeld.count(scan) > 0; }
    /// The presses and releases since the last call, oldest first.
    std::vector<KeyEvent> takeEvents();
    /// Forgets held keys and pending events (the window lost the keyboard).
    void reset();

private:
    void push(int scan, bool down);

    std::set<int> mHeld;
    std::vector<KeyEvent> mPending;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::KeyInput);
