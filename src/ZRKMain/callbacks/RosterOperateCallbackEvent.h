#pragma once
#include <boost/signals2/connection.hpp>
#include <string>
#include <data/ZRKRequestInfo.h>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// Edits the friend roster ("type" 1 add, by user id or nickname, into a group; 2 move an
/// entry to another group; 3 delete an entry, asked first). The screen learns of the change
/// from the roster's next load; a refusal is told in a box.
class RosterOperateCallbackEvent : public BaseEvent {
public:
    RosterOperateCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~RosterOperateCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RosterOperate; }

    void onNickReply(bool error, const std::string& text, const std::string& nick, int group);
    void addRoster(const std::string& uid, int group);
    void moveGroup(const std::string& fuid, int fgroup);
    void confirmDelete(const std::string& fuid);
    void onConfirm(core::DialogBoxResult& result, int pcId);

    /// The request texts: compact JSON with its quotes kept.
    static std::string addText(const std::string& uid, int group);
    static std::string moveText(int fgroup, int fpcid);
    static std::string deleteText(int fpcid);

private:
    /// The completion of an edit: a refusal is told in a box.
    ZRKReply refusalShown();
    /// A parameter the branch needs: false, silently, when the page has none (logged when it
    /// holds another type).
    template <class T> bool take(const std::string& name, gui::ParamHandle params, T& out) const
    {
        return findParam(name, params) && readParam(name, params, out);
    }

    boost::signals2::scoped_connection mBoxConnection;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
