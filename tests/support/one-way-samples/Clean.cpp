// Not compiled: lines cmake/CheckOneWay.cmake must leave alone, beside the one way itself.

// event-id
raiseEvent(gui::EventId::PackageLoading);
raiseEvent(getEventId());
dispatcher->raise(eventId);
queue->handle(id);
int getEventId() override { return gui::EventId::ShopItem; }
hallEvent<HallEixtEvent>(EventId::HallEixt),
static constexpr int kBagEventId = EventId::PackageLoading;
const int kMaxEventIdsPerFrame = 256;
// raiseEvent(8) in a comment

// state-name
session->teleport(std::string(), core::ClientStateTable::kArea, std::string());
session->teleport(server->getCurrentZone().getStringVal("name", ""), core::ClientStateTable::kPlayerHall, "");
machine->changeState(core::ClientStateTable::kLogon);
writeLog(kLogTrace, "room", "no scene: no lights in " + getName());
addRecord("room", row);
gui->showPage("battle");
