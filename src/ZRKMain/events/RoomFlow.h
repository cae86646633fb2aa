#pragma once
#include <string>

namespace kavri3D {
namespace core {
class MsgRoomCallback;
}
namespace zrk {

/// What the room screens share: the GUI ids of the three room groups (modes 1
/// to 3, 8 and 9), the hand-over of the screens before a battle, and entering a
/// room as its callback.
class RoomFlow {
public:
    enum Purpose { View, Seats, Gone };
    /// The id a room screen raises for the mode; 0 when that mode raises nothing.
    static int idFor(Purpose purpose, int mode);
    /// The screens are handed to the battle: notice 21, the open box closed, the
    /// pages reset.
    static void handOverScreens();
    /// Registers the callback for the room alone (out of any other) and enters
    /// it, with the password as a structured value when there is one (or when
    /// `always` asks for it).
    static long enterRoom(core::MsgRoomCallback& callback, const std::string& room, const std::string& password,
                          bool always);
};

} // namespace zrk
} // namespace kavri3D
