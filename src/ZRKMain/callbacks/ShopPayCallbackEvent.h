#pragma once
#include <deque>
#include <functional>
#include <string>
#include <data/ZRKRequestInfo.h>
#include <data/ZRKRequestOwner.h>
#include <gui/ShopData.h>
#include "callbacks/MoneyFall.h"
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// What the guild shop, the arena shop and the gift share: the lines are written, the player is
/// asked, a yes sends them, the answer shows what was paid and hands the GUI the items bought
/// ("buyed"). What the box asked about is what is sent and summed, whatever comes after it.
class ShopPayCallbackEvent : public BaseEvent {
public:
    typedef std::deque<gui::ShopData> Cart;
    /// Sends the request text with the completion given.
    typedef std::function<long(const std::string& text, ZRKReply done)> Send;
    /// The cost text of a purchase that went through, made when its answer comes from what
    /// the player's money fell by.
    typedef std::function<std::string(const MoneyFall& paid)> Cost;

    ShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopPayCallbackEvent() override;

    gui::ParamList* fillParams() override;

    /// What a line costs in full: its chosen option's price times its pieces, in 64 bits; false,
    /// logged, when it has no chosen option, fewer than one piece or a price past 32 bits.
    bool amountOf(const gui::ShopData& line, long long& amount) const;
    /// The request text of the lines, one object each; false (logged, nothing to send) when a
    /// line cannot be priced.
    bool writeLines(const Cart& lines, std::string& text) const;

protected:
    /// Reads the one item a shop sells at a time into `item`, with its request text and amount;
    /// false (logged, nothing to send) when it is missing, mistyped or cannot be priced.
    bool readItem(const char* name, gui::ParamHandle params, gui::ShopData& item, std::string& text, long long& amount);
    /// Asks `question` (it names the amount); a yes sends the text, the answer shows the cost
    /// box and raises the event's id, a refusal goes to `refused`.
    void ask(const std::string& text, const std::string& question, const Send& send, const Cost& cost);
    /// A refused purchase: the server's text in a box.
    virtual void refused(const std::string& text);
    static void showBox(const std::string& text);

private:
    void onConfirm(int button, const std::string& text, const Send& send, const Cost& cost);
    void onReply(bool error, const std::string& text, const Cost& cost, const MoneyFall& before);

    ZRKRequestOwner mRequests; ///< last: no reply or box answer reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
