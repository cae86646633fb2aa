#pragma once
// The simplest player of a whole-game battle: he fires on each of his turns.

namespace zrktest {

/// A player who, on each of his turns, raises the barrel a moment (Up) and then fires (Space
/// held, let go): told once a frame whether it is his turn.
struct FireOnTurns {
    int held = 0;
    template <class Input> void frame(Input& input, bool mine)
    {
        if (!mine) {
            held = 0;
            return;
        }
        ++held;
        if (held == 1)
            input.keyEvent(0xff52 /* Up */, true);
        if (held == 3) {
            input.keyEvent(0xff52, false);
            input.keyEvent(0x20 /* space */, true);
        }
        if (held == 8)
            input.keyEvent(0x20, false);
    }
};

} // namespace zrktest
