#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include <string>
#include <vector>
#include <gui/IBattlePanel.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;
class EventDispatcher;

/// A box-opening screen of a staged battle's half time: the room's boxes, a row per seat with
/// the box its player opened and what was in it, and the seconds left to choose.
class BoxPanel : public GuiPage, public IBoxPanel {
public:
    static constexpr int kOpenBoxEventId = EventId::OpenBox;

    /// `pve`: the boxes of a PVE stage (the box event skips the free box's rules for them).
    BoxPanel(int kind, const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
             EventDispatcher& dispatcher, CallCounter& calls, bool pve);
    ~BoxPanel() override;

    void setOffers(const std::vector<IBattleOver::BoxOffer>& offers) override;
    void setCountDown(float start, float end) override;
    void setSlots(const std::vector<IBattleOver::AwardSlot>& slots) override;
    void update(float now) override;
    bool isShown() const override;
    void onBoxOpened() override;
    void onBoxRefused() override;
    void onBoxBusy() override;
    /// The box event refused a free box itself (no opening left, or a box of the other row):
    /// the screen says why.
    void onRaised(int eventId);
    /// What the screen says above the boxes.
    std::string noteText() const;

    /// A click on the picture of box `index`, as the player's: the box event gets "flag" (the
    /// box model's picture), "index", "box" and "pve"; a box opened already (by anyone) says
    /// instead what it held, and nothing is sent. False without such a box.
    bool clickBox(int index);
    /// How often the box event said the server opened a box (also counted as "onBoxOpened" or
    /// "onBoxOpened pve" among the manager's calls).
    int openedCount() const { return mOpened; }
    /// How often it said the server kept a box shut ("onBoxRefused").
    int refusedCount() const { return mRefused; }

    const std::vector<IBattleOver::BoxOffer>& offers() const { return mOffers; }
    const std::vector<IBattleOver::AwardSlot>& slots() const { return mSlots; }
    /// Whole seconds left of the count-down (0 when it is over or none runs).
    int secondsLeft() const { return mLeft; }
    /// A picture the game renders came or goes ("box1"...): a box's picture is shown once it
    /// comes, and let go before its image is destroyed.
    void onImage(const std::string& name, bool defined);

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void redraw();
    void showNote();
    bool onBoxClicked(const CEGUI::EventArgs& args);
    /// What a box shows: who opened it and what was in it, else its price.
    std::string boxText(std::size_t index) const;
    /// What an opened box held, as the note says it ("Box 2 held Forge Stone x1: Harrow opened
    /// it."); empty for a box still shut.
    std::string heldText(std::size_t index) const;

    std::vector<IBattleOver::BoxOffer> mOffers;
    std::vector<IBattleOver::AwardSlot> mSlots;
    float mStart = -1.0f, mEnd = -1.0f;
    int mLeft = 0;
    int mOpened = 0;
    int mRefused = 0;
    std::string mNote; ///< what the screen says above the boxes; empty: "Choose a box"
    EventDispatcher& mDispatcher;
    CallCounter& mCalls;
    const bool mPve;
    IBattleOver::BoxOffer mChosen; ///< the record the box event reads, kept until the next click
    std::vector<core::ScopedEventConnection> mClickConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
