#include "events/BaseEvent.h"

#include <boost/core/demangle.hpp>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiPage.h>
#include <typeinfo>
#include <utility>
#include <yake/TextFormat.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
// The GUI was a 32-bit build: a pointer handed to it is sized 4.
const std::int32_t kGuiPointerSize = 4;
} // namespace

BaseEvent::BaseEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : mPage(page), mDispatcher(dispatcher) {}

BaseEvent::BaseEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int givenId)
    : mPage(page), mDispatcher(dispatcher), mGivenId(givenId)
{
}

BaseEvent::~BaseEvent() { clearParams(); }

void BaseEvent::clearParams()
{
    while (!mParams.empty()) {
        gui::ParamNode* node = mParams.back();
        mParams.pop_back();
        delete node;
    }
}

gui::ParamNode* BaseEvent::addNode(const std::string& name, const boost::any& value, std::int32_t size,
                                   std::int32_t type)
{
    return addNode(gui::ParamNode(name, value, size, type));
}

gui::ParamNode* BaseEvent::addNode(gui::ParamNode node)
{
    mParams.push_back(new gui::ParamNode(std::move(node)));
    return mParams.back();
}

gui::ParamNode* BaseEvent::addInt(const std::string& name, int value)
{
    return addNode(gui::ParamNode::integer(name, value));
}

gui::ParamNode* BaseEvent::addUInt(const std::string& name, unsigned value)
{
    return addNode(name, value, sizeof(unsigned), gui::ParamNode::Integer);
}

gui::ParamNode* BaseEvent::addBool(const std::string& name, bool value)
{
    return addNode(gui::ParamNode::boolean(name, value));
}

gui::ParamNode* BaseEvent::addString(const std::string& name, const std::string& value)
{
    return addNode(gui::ParamNode::text(name, value));
}

gui::ParamNode* BaseEvent::addJson(const std::string& name, const Json::Value* value)
{
    return addNode(name, value, kGuiPointerSize, gui::ParamNode::Record);
}

void BaseEvent::raiseEvent(int eventId)
{
    if (mDispatcher)
        mDispatcher->raise(eventId);
}

gui::ParamNode* BaseEvent::findParam(const std::string& name, gui::ParamHandle params) const
{
    return mPage ? mPage->getParam(name, params) : nullptr;
}

std::string BaseEvent::channel() const
{
    std::string name = boost::core::demangle(typeid(*this).name());
    const std::size_t scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

void BaseEvent::log(LogSeverity severity, const std::string& text) const
{
    writeLog(severity, channel().c_str(), text);
}

std::string BaseEvent::formatMsg(const std::string& pattern, const std::vector<std::string>& args)
{
    return yake::TextFormat::format(pattern, args);
}

bool BaseEvent::reportMissing(const std::string& name) const
{
    log(kLogTrace, name + " paramNode is null");
    return false;
}

bool BaseEvent::reportTypeError(const std::string& name) const
{
    log(kLogTrace, name + " ParamNode type error");
    return false;
}

} // namespace zrk
} // namespace kavri3D
