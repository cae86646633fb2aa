#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

/// A screen that offers prize boxes for opening: the box records it offers, and the word that
/// the server opened the player's box (its contents come with the room's notice) or kept it
/// shut.
class IOpenBoxData {
public:
    /// One box offered: its id (sent to the server), whether it is still closed (1) or opened
    /// (2), the kind of money it costs (0 or less: free; 1 coins, 2 coupons, 3 medals) and its
    /// price.
    struct BoxData {
        int b_id = 0;
        int b_type = 0;
        int b_buy_type = 0;
        int b_price = 0;
    };

    virtual ~IOpenBoxData() = default;
    virtual void onBoxOpened() = 0;
    /// The server refused the opening (the player was told why): the box stays shut.
    virtual void onBoxRefused() = 0;
    /// A box was chosen while the one chosen before is still being opened: nothing is sent, the
    /// player is asked to wait for it.
    virtual void onBoxBusy() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
