#include "StatsTab.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <cstdlib>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "ParamStore.h"
#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kLabels[4] = {"Strength", "Vitality", "Dexterity", "Luck"};

/// An amount as typed: digits only, at most the points a player could ever have; false for
/// anything else (a minus sign among it: points are only ever added). Empty counts as 0.
bool typedAmount(const std::string& text, unsigned& out)
{
    out = 0;
    if (text.empty())
        return true;
    if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}
} // namespace

const char* const StatsTab::kAbilities[4] = {"str", "vit", "dex", "luk"};

StatsTab::StatsTab(PlayerPage& page) : PlayerTab(page) {}

StatsTab::~StatsTab() = default;

unsigned StatsTab::amount(int index) const { return index >= 0 && index < 4 ? mAmounts[index] : 0; }

void StatsTab::build(CEGUI::Window& pane)
{
    addWidget(pane, "TaharezLook/StaticText", "Points", "", 0.0f, 0.0f, 1.0f, 0.1f);
    for (int a = 0; a < 4; ++a) {
        const float y = 0.13f + 0.11f * static_cast<float>(a);
        addWidget(pane, "TaharezLook/StaticText", (std::string("Value_") + kAbilities[a]).c_str(), "", 0.0f, y, 0.55f,
                  0.09f);
        CEGUI::Window* edit = addWidget(pane, "TaharezLook/Editbox", (std::string("Add_") + kAbilities[a]).c_str(),
                                        std::to_string(mAmounts[a]), 0.58f, y, 0.2f, 0.09f);
        keep(edit->subscribeEvent(CEGUI::Editbox::EventTextChanged, [this, a, edit](const CEGUI::EventArgs&) {
            mBad[a] = !typedAmount(fromCeguiString(edit->getText()), mAmounts[a]);
            showStatus(mBad[a] ? refusal(a) : std::string());
            return true;
        }));
    }
    CEGUI::Window* applyButton = addWidget(pane, "TaharezLook/Button", "Apply", "Apply", 0.58f, 0.58f, 0.2f, 0.09f);
    keep(applyButton->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
        apply();
        return true;
    }));
    CEGUI::Window* status = addWidget(pane, "TaharezLook/StaticText", "Status", mStatus, 0.0f, 0.7f, 1.0f, 0.1f);
    status->setProperty("HorzFormatting", "WordWrapLeftAligned");
    showRole();
}

std::string StatsTab::refusal(int index)
{
    return std::string(kLabels[index]) + ": type a whole number of points, 0 or more (points are only ever added).";
}

void StatsTab::showStatus(const std::string& text)
{
    mStatus = text;
    if (CEGUI::Window* status = child("Status"))
        status->setText(outsideText(text));
}

void StatsTab::onSelected()
{
    // The attributes as the game has them now; the refresh after "Apply" brings the new ones.
    if (ParamList* attributes = dispatcher().fillParams(PlayerPage::kAttrEventId))
        onFilled(PlayerPage::kAttrEventId, *attributes);
}

void StatsTab::onFilled(int eventId, ParamList& params)
{
    if (eventId != PlayerPage::kAttrEventId)
        return;
    for (const ParamNode* node : params)
        if (node && node->name == "currentRole")
            if (const auto* role = boost::any_cast<RoleAttr>(&node->value)) {
                mRole = *role;
                mKnown = true;
                showRole();
            }
}

bool StatsTab::setAmount(int index, unsigned value)
{
    if (index < 0 || index >= 4)
        return false;
    if (CEGUI::Window* edit = child(std::string("Add_") + kAbilities[index]))
        edit->setText(toCeguiString(std::to_string(value)));
    mAmounts[index] = value; // as given, also where the edit cannot show it whole
    mBad[index] = false;
    return true;
}

bool StatsTab::apply()
{
    for (int a = 0; a < 4; ++a)
        if (mBad[a]) {
            // Sent as typed or not at all: a value the player did not mean is never sent as 0.
            showStatus(refusal(a) + " Nothing was sent.");
            return false;
        }
    showStatus(std::string());
    params().clear(PlayerPage::kKind);
    for (int a = 0; a < 4; ++a)
        params().set(PlayerPage::kKind, ParamNode(kAbilities[a], mAmounts[a],
                                                  static_cast<std::int32_t>(sizeof(unsigned)), ParamNode::Integer));
    dispatcher().callback(kAddEventId, params().handle(PlayerPage::kKind));
    // Asked after the points went, so the answer holds them (the server answers in order).
    dispatcher().callback(PlayerPage::kAttrEventId, params().handle(PlayerPage::kKind));
    for (int a = 0; a < 4; ++a)
        setAmount(a, 0);
    return true;
}

void StatsTab::showRole()
{
    const int values[4] = {mRole.pc_str, mRole.pc_vit, mRole.pc_dex, mRole.pc_luk};
    mSummary = mKnown ? "Free stat points: " + std::to_string(mRole.pc_stp) : std::string("Free stat points: -");
    if (CEGUI::Window* points = child("Points"))
        points->setText(toCeguiString(mSummary));
    for (int a = 0; a < 4; ++a) {
        const std::string line =
            std::string(kLabels[a]) + ": " + (mKnown ? std::to_string(values[a]) : std::string("-"));
        mSummary += "  " + line;
        if (CEGUI::Window* value = child(std::string("Value_") + kAbilities[a]))
            value->setText(toCeguiString(line));
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
