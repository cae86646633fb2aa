// What the shop's event tests share: equipment and role resources loaded, the log-in event, a
// "room" state for the log-in to arrive in, hero logged in with the raised ids and the request
// history cleared, and the few look-ups and builders every shop test uses.
#pragma once

#include "EventsFixture.h"

#include <boost/any.hpp>
#include <data/ZRKRequestBroker.h>
#include <gui/ShopData.h>

#include <string>
#include <vector>

#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"

namespace zrktest {

struct ShopLoginFixture : EventsFixture {
    kavri3D::zrk::EquipRes equipment;
    kavri3D::zrk::ZRKRoleRes roleRes;
    kavri3D::zrk::LoginGoEvent login{page, dispatcher};

    ShopLoginFixture()
    {
        equipment.load();
        roleRes.load();
        enterState("logon");
        machine().addState("room", boost::make_shared<RecordingState>());
    }
    ~ShopLoginFixture() override { kavri3D::zrk::RoleManager::destroyInstance(); }

    void logInAsHero()
    {
        logInWith(login, "hero", "hero123");
        control->clearRaised();
        kavri3D::zrk::ZRKRequestBroker::getSingleton().clearHistory();
    }
    /// The parameter texts of every request of this operation sent so far.
    static std::vector<std::string> sent(const char* op)
    {
        std::vector<std::string> out;
        for (const kavri3D::zrk::ZRKRequestInfo& r : kavri3D::zrk::ZRKRequestBroker::getSingleton().history())
            if (r.op == op)
                out.push_back(r.params);
        return out;
    }
    template <class T> static const T* value(kavri3D::zrk::gui::ParamList* list, const std::string& name)
    {
        for (const kavri3D::zrk::gui::ParamNode* n : *list)
            if (n->name == name)
                return boost::any_cast<T>(&n->value);
        return nullptr;
    }
    /// A cart line of one price option.
    static kavri3D::zrk::gui::ShopData line(int sId, int price, int type, int expire, int count, int chosen = 0)
    {
        kavri3D::zrk::gui::ShopData l;
        kavri3D::zrk::gui::ShopPrice p;
        p.s_id = sId;
        p.s_price = price;
        p.s_buy_type = type;
        p.s_expire = expire;
        l.prices.push_back(p);
        l.item.pci_num = count;
        l.chosen = chosen;
        return l;
    }
};

} // namespace zrktest
