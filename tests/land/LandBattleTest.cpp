#include "LandTestKit.h"

namespace landtest {

TEST_F(LandFixture, EightBotsFightToTheEnd)
{
    auto r = room(7, 8);
    auto land = makeLand(r);
    ASSERT_TRUE(land->create());
    begin(*land);
    ASSERT_TRUE(runUntil(*land, [&] { return land->getLoadState() == LOAD_OVER; }, 700.0f));
    std::cout << "turns " << land->getTurnNumber() << " t " << land->getTimeFighting() << " winner " << land->getSummary().winner
              << " bot shots " << land->getBotShots() << " hits " << land->getBotHits() << "\n";
}

} // namespace landtest
