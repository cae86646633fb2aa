// What the shop's event tests share: equipment and role resources loaded, the
// log-in event, a "room" state for the log-in to arrive in, and hero logged in
// with the raised ids and the request history cleared.
#pragma once

#include "EventsFixture.h"

#include <data/ZRKRequestBroker.h>

#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"

namespace zrktest {

struct ShopLoginFixture : EventsFixture {
  kavri3D::zrk::EquipRes equipment;
  kavri3D::zrk::ZRKRoleRes roleRes;
  kavri3D::zrk::LoginGoEvent login{page, dispatcher};

  ShopLoginFixture() {
    equipment.load();
    roleRes.load();
    enterState("logon");
    machine().addState("room", boost::make_shared<RecordingState>());
  }
  ~ShopLoginFixture() override { kavri3D::zrk::RoleManager::destroyInstance(); }

  void logInAsHero() {
    logInWith(login, "hero", "hero123");
    control->clearRaised();
    kavri3D::zrk::ZRKRequestBroker::getSingleton().clearHistory();
  }
};

} // namespace zrktest
