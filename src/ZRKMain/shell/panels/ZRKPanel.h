#pragma once
#include <vector>
#include <core/CEGUIPanel.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class ICallBackEvent;
class IEventDispatcher;
class IGuiManager;
class IGuiPage;

/// A screen of the GUI plug-in hosted in the main frame: it borrows the plug-in's page of its
/// kind and, once, makes that screen's events from its table and registers them.
class ZRKPanel : public core::CEGUIPanel {
public:
    ZRKPanel(core::CEGUIPanelContainer* container, int kind);
    ~ZRKPanel() override;

    /// Borrows the page of the panel's kind; its window is made when first asked for (a screen
    /// not shown yet costs the start nothing).
    bool createWindow() override;
    /// Hides the page's window; the window stays with the plug-in.
    void destroyWindow() override;
    /// The page's window, made now when it was not yet.
    CEGUI::Window* getWindow() override;
    /// Hiding or asking about a screen never made does not make it.
    void show(bool visible) override;
    bool isVisible() override;
    /// Makes each event of the panel's table in order and registers it at once; false (and
    /// nothing registered) for want of a manager, a page or a dispatcher.
    virtual bool registerEvents();

    int getKind() const { return mKind; }

    typedef ICallBackEvent* (*EventFactory)(IGuiPage* page, IEventDispatcher* dispatcher, int givenId);
    /// One row of a panel's event table: how to make the event, and the id a hall event is given.
    struct EventEntry {
        EventFactory make;
        int givenId;
    };
    typedef std::vector<EventEntry> EventTable;

    /// A row for an event class with its own id.
    template <class Event> static EventEntry event() { return EventEntry{&makeEvent<Event>, 0}; }
    /// A row for a hall event class that answers the id the panel gives it.
    template <class Event> static EventEntry hallEvent(int givenId)
    {
        return EventEntry{&makeHallEvent<Event>, givenId};
    }

    /// The events this screen makes, in the order the GUI expects them.
    virtual const EventTable& events() const = 0;

private:
    template <class Event> static ICallBackEvent* makeEvent(IGuiPage* page, IEventDispatcher* dispatcher, int)
    {
        return new Event(page, dispatcher);
    }
    template <class Event>
    static ICallBackEvent* makeHallEvent(IGuiPage* page, IEventDispatcher* dispatcher, int givenId)
    {
        return new Event(page, dispatcher, givenId);
    }

    CEGUI::Window* mRootWindow = nullptr;
    int mKind;
    IGuiManager* mManager = nullptr;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
