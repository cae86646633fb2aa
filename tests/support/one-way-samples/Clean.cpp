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
if (eventId == EventId::RoomCreate || eventId == kJoinEventId)
if (eventId < 1 || eventId > kLastEventId) {
if (holderOf(eventId) == eventId)
if (mEventIds == 0)
if (eventId == 0)
// raiseEvent(8) in a comment

// land-event-id
core::EventPtr e = events().make(LandEventId::OwnStatus);
core::EventPtr e = make(npc ? LandEventId::NpcBubble : LandEventId::DollBubble);
ZRKLand::LandAnyEvent event(kLandEventReady);
events->addEventHandler(BattleRoom::ZRKProgressPanel::kEventType, mProgressPanel);
static constexpr int kEventType = LandEventId::LoadProgress;
for (int type = EvtLandHandler::kFirst; type <= EvtLandHandler::kLast; ++type)
writeLog(kLogError, kChannel, "land event " + std::to_string(type) + " not handled: " + e.what());
mSiteMovable->setPosition(mX, 0, -7000);
core::EventPtr e = make(LandEventId::Hit); // 6501 on the wire
const int kMaxPreviews = 65010;

// state-name
session->teleport(std::string(), core::ClientStateTable::kArea, std::string());
session->teleport(server->getCurrentZone().getStringVal("name", ""), core::ClientStateTable::kPlayerHall, "");
machine->changeState(core::ClientStateTable::kLogon);
writeLog(kLogTrace, "room", "no scene: no lights in " + getName());
addRecord("room", row);
gui->showPage("battle");

// json-reader
core::JsonText::parse(text, v, error, limits);

// hand-disconnect
mConnection.reset();
mBoxConnection = boost::signals2::connection();
mCore->disconnect(mConnection);
mLoadSignal.disconnect_all_slots();
disconnectAll();
void disconnect();
// mKeyDown.disconnect() in a comment

// cegui-scoped-connection
std::vector<core::ScopedEventConnection> mClickConnections;
CEGUI::Event::Connection connection = window->subscribeEvent(name, subscriber);
// a CEGUI::Event::ScopedConnection in a comment

// box-numbers
frame->messageBox("error/title1", "error/map_change", core::Frame::kNoticeBox);
frame->messageBoxText(title, text, core::Frame::kNoticeBox.sized(width, height));
setArea(CEGUI::URect(CEGUI::UDim(0, 9), CEGUI::UDim(0, 300), CEGUI::UDim(1, 0), CEGUI::UDim(0, 150)));

// log-number
logLine(Severity::Warning, "product file " + file + " cannot be read");
writeLog(kLogTrace, channel().c_str(), text);
guiLog(Severity::Error, "step ", 3, " failed");
