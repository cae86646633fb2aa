#pragma once
#include <boost/any.hpp>
#include <cstdint>
#include <string>
#include <vector>
#include <gui/EventId.h>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>
#include "services/LogRoutine.h"

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {
namespace gui {
class IEventDispatcher;
class IGuiPage;
} // namespace gui

/// The common base of the game's GUI events: the page the player's input is read from, the
/// dispatcher the event raises its id on, and the values it last handed to the GUI (owned,
/// valid until the next fill or the event's end).
class BaseEvent : public gui::ICallBackEvent {
public:
    BaseEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    /// The hall lists serve two screens with one class: each instance answers the id given here.
    BaseEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int givenId);
    ~BaseEvent() override;
    BaseEvent(const BaseEvent&) = delete;
    BaseEvent& operator=(const BaseEvent&) = delete;

    gui::IGuiPage* getPage() const { return mPage; }
    gui::IEventDispatcher* getDispatcher() const { return mDispatcher; }

protected:
    int givenId() const { return mGivenId; }

    /// Frees the values handed out last time, back to front.
    void clearParams();
    /// The list the GUI reads; never null, possibly empty.
    gui::ParamList* paramList() { return &mParams; }
    /// The filler of an event with nothing to hand out: the last values freed, an empty list.
    gui::ParamList* emptyParams()
    {
        clearParams();
        return paramList();
    }

    // Fillers: each appends one node with the type code and size the GUI expects.
    gui::ParamNode* addInt(const std::string& name, int value);
    gui::ParamNode* addUInt(const std::string& name, unsigned value);
    gui::ParamNode* addBool(const std::string& name, bool value);
    gui::ParamNode* addString(const std::string& name, const std::string& value);
    /// One GUI record, sized in bytes.
    template <class Record> gui::ParamNode* addRecord(const std::string& name, const Record& record)
    {
        return addNode(name, record, static_cast<std::int32_t>(sizeof(Record)), gui::ParamNode::Record);
    }
    /// A collection, sized by its element count.
    template <class Collection> gui::ParamNode* addCollection(const std::string& name, const Collection& items)
    {
        return addNode(name, items, static_cast<std::int32_t>(items.size()), gui::ParamNode::Record);
    }
    /// A pointer to a table the GUI reads in place.
    template <class T> gui::ParamNode* addPointer(const std::string& name, T* pointer)
    {
        return addNode(name, pointer, -1, gui::ParamNode::Record);
    }
    /// A pointer to a JSON value, sized as a pointer of the 32-bit GUI.
    gui::ParamNode* addJson(const std::string& name, const Json::Value* value);
    /// Any value with the code and size given (for the parameters that depart from the rules).
    gui::ParamNode* addNode(const std::string& name, const boost::any& value, std::int32_t size, std::int32_t type);
    gui::ParamNode* addNode(gui::ParamNode node);

    /// Raises an id on the dispatcher (this event's own or another's for the GUI to refill).
    void raiseEvent(int eventId);

    /// The page's value of that name for this action; null without page or value.
    gui::ParamNode* findParam(const std::string& name, gui::ParamHandle params) const;
    /// A required parameter: false, with one log line, when it is missing or holds another
    /// type; the action then ends.
    template <class T> bool readParam(const std::string& name, gui::ParamHandle params, T& out) const
    {
        const gui::ParamNode* node = findParam(name, params);
        if (!node)
            return reportMissing(name);
        return takeValue(*node, name, out);
    }
    /// An optional parameter: a missing one leaves `out` (its default) and is no failure; one
    /// of another type is a failure like a missing required one.
    template <class T> bool readOptional(const std::string& name, gui::ParamHandle params, T& out) const
    {
        const gui::ParamNode* node = findParam(name, params);
        return !node || takeValue(*node, name, out);
    }

    /// The event's class name, the channel of its log lines.
    std::string channel() const;
    /// One log line under the event's channel.
    void log(LogSeverity severity, const std::string& text) const;

    /// A message text with its placeholders ("%1%") filled by the arguments in order. A text
    /// whose placeholders do not match the arguments is filled as far as it goes: a missing
    /// argument leaves its place empty, a spare one is dropped; a malformed text is shown as
    /// written (yake::TextFormat). It never fails.
    static std::string formatMsg(const std::string& pattern, const std::vector<std::string>& args);

private:
    template <class T> bool takeValue(const gui::ParamNode& node, const std::string& name, T& out) const
    {
        const T* value = boost::any_cast<T>(&node.value);
        if (!value)
            return reportTypeError(name);
        out = *value;
        return true;
    }
    bool reportMissing(const std::string& name) const;
    bool reportTypeError(const std::string& name) const;

    gui::ParamList mParams;
    gui::IGuiPage* mPage;
    gui::IEventDispatcher* mDispatcher;
    int mGivenId = 0;
};

} // namespace zrk
} // namespace kavri3D
