#include "BattlePanelHost.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <boost/any.hpp>
#include <cmath>
#include <cstdio>

#include <text/CeguiText.h>
#include <util/MissionRule.h>
#include "GuiImageset.h"
#include "GuiLog.h"
#include "SmallFont.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kLetters = "zxcvbn";

CEGUI::URect area(float x, float y, float w, float h)
{
    return CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + w, 0), CEGUI::UDim(y + h, 0));
}

CEGUI::Window* make(CEGUI::Window& parent, const char* type, const std::string& name, float x, float y, float w,
                    float h)
{
    CEGUI::Window* win = CEGUI::WindowManager::getSingleton().createWindow(type, toCeguiString(name));
    win->setArea(area(x, y, w, h));
    win->setMousePassThroughEnabled(true);
    parent.addChild(win);
    return win;
}

CEGUI::Window* text(CEGUI::Window& parent, const std::string& name, float x, float y, float w, float h)
{
    CEGUI::Window* t = make(parent, "TaharezLook/StaticText", name, x, y, w, h);
    t->setProperty("FrameEnabled", "false");
    t->setProperty("BackgroundEnabled", "false");
    return t;
}

/// A bar: a dark trough with a fill of the given colour, as wide as its share.
CEGUI::Window* bar(CEGUI::Window& parent, const std::string& name, float x, float y, float w, float h)
{
    CEGUI::Window* trough = make(parent, "TaharezLook/StaticImage", name, x, y, w, h);
    trough->setProperty("FrameEnabled", "false");
    trough->setProperty("Image", "TaharezLook/GenericBrush");
    trough->setProperty("ImageColours", "tl:A0202020 tr:A0202020 bl:A0202020 br:A0202020");
    CEGUI::Window* fill = make(*trough, "TaharezLook/StaticImage", "fill", 0.0f, 0.0f, 0.0f, 1.0f);
    fill->setProperty("FrameEnabled", "false");
    fill->setProperty("BackgroundEnabled", "false");
    fill->setProperty("Image", "TaharezLook/GenericBrush");
    return trough;
}

std::string colourRect(const char* c) { return std::string("tl:") + c + " tr:" + c + " bl:" + c + " br:" + c; }

void setBar(CEGUI::Window* w, float share, const char* colour)
{
    if (!w || !w->isChild("fill"))
        return;
    CEGUI::Window* fill = w->getChild("fill");
    fill->setWidth(CEGUI::UDim(std::isfinite(share) ? std::min(std::max(share, 0.0f), 1.0f) : 0.0f, 0));
    fill->setProperty("ImageColours", toCeguiString(colourRect(colour)));
}

const char* teamColour(int colour) { return colour == 0 ? "FF4060FF" : colour == 1 ? "FFFF4040" : "FF40C040"; }

/// Sets a text of the bar so that it is read whole: in the GUI's own font when a line of it
/// fits the window, else in the bar's smaller font; a window of `lines` lines wraps its words.
void fitText(CEGUI::Window* w, const std::string& raw, int lines = 1)
{
    if (!w)
        return;
    const CEGUI::String text = outsideText(raw);
    // Decided again when the text or the window's size changed (the bar is laid out after it
    // is built, and again when the game window changes its size).
    const CEGUI::Sizef size = w->getPixelSize();
    const CEGUI::String fitted = CEGUI::PropertyHelper<CEGUI::Sizef>::toString(size);
    if (w->getText() == text && w->isUserStringDefined("_fitted") && w->getUserString("_fitted") == fitted)
        return;
    w->setText(outsideText(raw));
    w->setUserString("_fitted", fitted);
    const CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
    const CEGUI::Font* normal = context.getDefaultFont();
    const auto fits = [&](const CEGUI::Font* font) {
        return font && font->getTextExtent(text) <= (size.d_width - 6.0f) * static_cast<float>(lines) &&
               font->getLineSpacing() * static_cast<float>(lines) <= size.d_height + 2.0f;
    };
    w->setFont(fits(normal) ? CEGUI::String() : SmallFont::name("the battle bar"));
    w->setProperty("HorzFormatting", lines > 1 ? "WordWrapLeftAligned" : "LeftAligned");
}

/// True when the picture is shown.
bool setImageOrText(CEGUI::Window* w, const std::string& image, const std::string& fallback)
{
    if (!w)
        return false;
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    // Item pictures are named without their set: they are the icon set's.
    const std::string name = image.find('/') == std::string::npos && !image.empty() ? "ZRKIcons/" + image : image;
    const bool known = !name.empty() && images.isDefined(toCeguiString(name));
    w->setProperty("Image", known ? toCeguiString(name) : CEGUI::String());
    w->setText(known ? CEGUI::String() : outsideText(fallback));
    return known;
}
} // namespace

BattlePanelHost::BattlePanelHost(ParamStore& params, ParentSource parent)
    : GuiPage(kKind, "BattlePanel", "Battle", params, std::move(parent))
{
    setFrameArea(0.0f, 0.74f, 1.0f, 1.0f);
}

void BattlePanelHost::show()
{
    setVisible(true);
    if (CEGUI::Window* w = window())
        w->setAlwaysOnTop(true);
}

bool BattlePanelHost::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

float BattlePanelHost::getTop() const
{
    const CEGUI::Window* w = window();
    const CEGUI::Window* root = w ? w->getRootWindow() : nullptr;
    if (!w || !w->isEffectiveVisible() || !root || root->getPixelSize().d_height <= 0.0f)
        return 1.0f;
    const float top = w->getUnclippedOuterRect().get().top() / root->getPixelSize().d_height;
    return std::isfinite(top) ? std::min(std::max(top, 0.0f), 1.0f) : 1.0f;
}

void BattlePanelHost::update(float dt)
{
    if (std::isfinite(dt) && dt > 0.0f)
        mSeconds += dt;
    if (mStatus && isShown())
        pull();
}

void BattlePanelHost::setHealth(float hp, float xhp, float xsp, float sp)
{
    mOwn[0] = hp;
    mOwn[1] = xhp;
    mOwn[2] = xsp;
    mOwn[3] = sp;
}

void BattlePanelHost::setFury(float fury, float xfury)
{
    mOwn[4] = fury;
    mOwn[5] = xfury;
}

void BattlePanelHost::setStatusProvider(boost::shared_ptr<IBattleStatus> status)
{
    if (status && status != mStatus)
        forgetBattle();
    mStatus = status;
}

void BattlePanelHost::forgetBattle()
{
    std::fill(mOwn, mOwn + 6, -1.0f);
    mCarom = 0;
    mComboShown = 1;
    mShown = IBattleStatus::BattleStatus();
    mPve = IBattleStatus::PVEStatus();
    mHasPve = false;
    mSeats.assign(kSeats, IBattleStatus::PlayerEntry());
    mSkillStates.clear();
    mBags = IBattleStatus::Bags();
    mCrates.clear();
}

void BattlePanelHost::setNewbieLock(bool locked)
{
    mNewbieLock = locked;
    setTitleNote(locked ? std::string() : "Esc: leave the lesson");
}

void BattlePanelHost::line(int team, const std::string&, const std::string& nickname, const std::string& msg, bool)
{
    if (team == -3) {
        mLines.clear(); // a new battle starts with an empty bar
        forgetBattle();
    } else {
        // A player's words go under his name; the game's own lines name whoever they are about
        // ("Jolt destroyed Hero.") and keep the name once. A line longer than two rows of the
        // bar goes on in the next line of the bar, cut between words.
        const bool named = nickname.empty() || msg.compare(0, nickname.size(), nickname) == 0;
        std::string rest = named ? msg : nickname + ": " + msg;
        while (!rest.empty()) {
            std::size_t cut = rest.size();
            if (cut > kLineChars) {
                cut = rest.rfind(' ', kLineChars);
                if (cut == std::string::npos || cut < kLineChars / 2)
                    cut = kLineChars;
                while (cut > 0 && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80)
                    --cut; // not inside a letter
                if (cut == 0)
                    cut = kLineChars; // no letter starts there (broken text): cut anyway, never stall
            }
            mLines.push_back(rest.substr(0, cut));
            rest.erase(0, cut);
            while (!rest.empty() && rest[0] == ' ')
                rest.erase(0, 1);
            if (mLines.size() > kLines * 4)
                mLines.pop_front();
        }
        while (mLines.size() > kLines)
            mLines.pop_front();
    }
    redraw();
}

void BattlePanelHost::next(int, int)
{
    // A limited weapon's count: its cell on the bar shows it from the bags each frame; it is
    // no message line.
}

void BattlePanelHost::setRadarSize(float width, float height)
{
    mRadarWidth = width;
    mRadarHeight = height;
}

void BattlePanelHost::setRadarOrientation(float x, float y)
{
    mRadarX = x;
    mRadarY = y;
}

CEGUI::Window* BattlePanelHost::part(const std::string& path) const
{
    CEGUI::Window* w = window();
    const CEGUI::String p = toCeguiString(path);
    return w && w->isChild(p) ? w->getChild(p) : nullptr;
}

void BattlePanelHost::redraw()
{
    // A line that is longer than the bar is wide goes on to a second.
    for (std::size_t i = 0; i < kLines; ++i)
        fitText(part("Line" + std::to_string(i)), i < mLines.size() ? mLines[i] : std::string(), 2);
}

void BattlePanelHost::pull()
{
    ++mPulls;
    try {
        mSeats.assign(kSeats, IBattleStatus::PlayerEntry());
        mStatus->getPlayerList(mSeats.data(), kSeats);
        mSkillStates.assign(kSkills, IBattleStatus::SkillEntry());
        int count = kSkills;
        mStatus->getSkillStates(mSkillStates.data(), count);
        mSkillStates.resize(static_cast<std::size_t>(std::min(std::max(count, 0), kSkills)));
        mShown = IBattleStatus::BattleStatus();
        mStatus->getBattleStatus(mShown);
        // A mission's wave status comes only when a wave or a crew changes: the bar keeps the
        // last one it was told until the next.
        if (const boost::any* stat = mShown.extra.getAttr("stat"))
            if (const auto* pve = boost::any_cast<IBattleStatus::PVEStatus>(stat)) {
                mPve = *pve;
                mHasPve = true;
            }
        mStatus->getBags(mBags);
        mStatus->getCrateMarks(mCrates);
        draw();
    } catch (const std::exception&) {
        // A status that fails leaves the bar as it was drawn last.
    }
}

void BattlePanelHost::draw()
{
    // Seats.
    for (int i = 0; i < kSeats; ++i) {
        const IBattleStatus::PlayerEntry& e = mSeats[static_cast<std::size_t>(i)];
        const std::string n = std::to_string(i);
        if (CEGUI::Window* name = part("Seat" + n)) {
            fitText(name, e.valid ? e.nickname : std::string());
            name->setProperty("TextColours", toCeguiString(colourRect(e.me ? "FFFFFF60" : teamColour(e.colour))));
        }
        setBar(part("SeatHp" + n), e.valid ? e.hp : 0.0f, teamColour(e.colour));
        setBar(part("SeatSp" + n), e.valid ? (e.sp + 1.0f) / 2.0f : 0.0f, "FFE0C040");
        if (CEGUI::Window* dot = part("Radar/Dot" + n)) {
            dot->setVisible(e.valid && !e.out && mRadarWidth > 0 && mRadarHeight > 0);
            dot->setPosition(CEGUI::UVector2(CEGUI::UDim(e.radarX / std::max(mRadarWidth, 1.0f), -4.0f),
                                             CEGUI::UDim(e.radarY / std::max(mRadarHeight, 1.0f), -4.0f)));
            dot->setProperty("TextColours", toCeguiString(colourRect(e.me ? "FFFFFF60" : teamColour(e.colour))));
        }
    }
    // Clock, scores, count-down, wind.
    // In a mission the sides keep no score: the waves and the crews left stand in its place.
    const std::string pve = pveText();
    const std::string score =
        pve.empty() ? std::to_string(mShown.score[0]) + " : " + std::to_string(mShown.score[1]) : pve;
    char status[240];
    std::snprintf(status, sizeof status, "%02d:%02d   %s   %s   wind %s", mShown.fightTime / 60, mShown.fightTime % 60,
                  score.c_str(), mShown.countdown >= 0 ? ("T-" + std::to_string(mShown.countdown)).c_str() : "",
                  mShown.wind.c_str());
    fitText(part("Status"), status);
    // The own doll.
    const auto share = [](float v, float max) { return max > 0.0f ? v / max : 0.0f; };
    setBar(part("OwnHp"), share(mOwn[0], mOwn[1]), "FF40C040");
    setBar(part("OwnSp"), share(mOwn[3], mOwn[2]), "FFE0C040");
    setBar(part("OwnFury"), share(mOwn[4], mOwn[5]), "FFFF8000");
    char own[160];
    std::snprintf(own, sizeof own, "HP %.0f/%.0f  SP %.0f/%.0f  Fury %.0f/%.0f%s", std::max(mOwn[0], 0.0f),
                  std::max(mOwn[1], 0.0f), std::max(mOwn[3], 0.0f), std::max(mOwn[2], 0.0f), std::max(mOwn[4], 0.0f),
                  std::max(mOwn[5], 0.0f),
                  mComboShown && mCarom > 0 ? ("  combo x" + std::to_string(mCarom)).c_str() : "");
    fitText(part("Own"), own, 2);
    // Each skill by its key (F1 ...), its uses left, and whether it is off or working.
    std::string skills = "Skills:";
    for (const IBattleStatus::SkillEntry& s : mSkillStates) {
        skills += "  F" + std::to_string(s.key) + " " + std::to_string(s.numCur) + "/" + std::to_string(s.numMax);
        if (s.flags & 0x80)
            skills += " off";
        else if (s.progress > 0)
            skills += " " + std::to_string(s.progress) + "%";
    }
    fitText(part("Skills"), skills, 2);
    // Weapons and props.
    loadItemIcons();
    for (int i = 0; i < 9; ++i) {
        const std::string n = i == 0 ? "PlayFrm/BigArmFrm" : "PlayFrm/Arm" + std::to_string(i);
        CEGUI::Window* cell = part(n);
        setImageOrText(cell, mBags.weaponIcon[i], mBags.weaponIcon[i].empty() ? std::string() : "?");
        // The weapon in hand stands out: a golden frame, the others dimmed.
        if (cell) {
            const bool inHand = i == mBags.current;
            cell->setProperty("FrameColours", toCeguiString(colourRect(inHand ? "FFFFD040" : "FF808080")));
            cell->setAlpha(inHand || mBags.current < 0 ? 1.0f : 0.7f);
        }
        if (CEGUI::Window* label = part(n + "/count")) {
            std::string t;
            if (!mBags.weaponIcon[i].empty() && mBags.weaponCount[i] >= 0)
                t = "x" + std::to_string(mBags.weaponCount[i]);
            const std::uint32_t left = mBags.weaponCd[i] & 0xFFFF;
            if (left > 0) {
                char cd[16];
                std::snprintf(cd, sizeof cd, " %.1fs", static_cast<double>(left) / 100.0);
                t += cd;
            }
            label->setText(outsideText(t));
        }
    }
    // Props: the picture and the uses left, so a prop used by its key shows it at once.
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::string("PropsContainer/block_") + kLetters[i];
        const bool held = !mBags.propIcon[i].empty() || mBags.propCount[i] > 0;
        const bool pictured = setImageOrText(part(n), mBags.propIcon[i], held ? "?" : std::string());
        // A prop this client has no picture of is marked on the label a picture cell shows.
        std::string uses = held && !pictured ? "? " : std::string();
        if (held && mBags.propCount[i] > 0)
            uses += "x" + std::to_string(mBags.propCount[i]);
        if (CEGUI::Window* label = part(n + "/count"))
            label->setText(outsideText(uses));
    }
    // Crates on the radar.
    for (int i = 0; i < 8; ++i)
        if (CEGUI::Window* dot = part("Radar/Crate" + std::to_string(i))) {
            const bool shown = static_cast<std::size_t>(i) < mCrates.size() && mRadarWidth > 0 && mRadarHeight > 0;
            dot->setVisible(shown);
            if (shown)
                dot->setPosition(
                    CEGUI::UVector2(CEGUI::UDim(mCrates[static_cast<std::size_t>(i)].x / mRadarWidth, -4.0f),
                                    CEGUI::UDim(mCrates[static_cast<std::size_t>(i)].y / mRadarHeight, -4.0f)));
        }
}

std::string BattlePanelHost::pveText() const
{
    if (!mHasPve || mShown.tactic != core::MissionRule::kTactic)
        return std::string();
    return "wave " + std::to_string(mPve.scenario) + " of " + std::to_string(mPve.scenarioTotal) + ", crews " +
           std::to_string(mPve.alive);
}

void BattlePanelHost::loadItemIcons()
{
    // The items' pictures are the icon set's, which the bag loads when it first shows: a battle
    // entered before the bag was ever opened loads it itself, once.
    if (mIconsTried)
        return;
    bool wanted = false;
    for (const std::string* icons : {mBags.weaponIcon, mBags.propIcon})
        for (int i = 0; i < (icons == mBags.weaponIcon ? IBattleStatus::kWeaponSlots : IBattleStatus::kPropSlots); ++i)
            wanted = wanted || (!icons[i].empty() && icons[i].find('/') == std::string::npos);
    if (!wanted)
        return;
    mIconsTried = true;
    GuiImageset::load("ZRKIcons", "the battle bar marks its items");
}

void BattlePanelHost::onImage(const std::string& name, bool defined)
{
    if (name != "vane")
        return;
    if (CEGUI::Window* vane = part("Vane"))
        vane->setProperty("Image", defined ? "vane" : "");
}

void BattlePanelHost::buildContent(CEGUI::Window& frame)
{
    // Message lines on the left.
    const float lh = 0.7f / static_cast<float>(kLines);
    for (std::size_t i = 0; i < kLines; ++i)
        fitText(text(frame, "Line" + std::to_string(i), 0.01f, lh * static_cast<float>(i), 0.29f, lh),
                i < mLines.size() ? mLines[i] : std::string(), 2);
    // The seats.
    const float sh = 0.7f / static_cast<float>(kSeats);
    for (int i = 0; i < kSeats; ++i) {
        const std::string n = std::to_string(i);
        const float y = sh * static_cast<float>(i);
        text(frame, "Seat" + n, 0.31f, y, 0.09f, sh);
        bar(frame, "SeatHp" + n, 0.40f, y + sh * 0.1f, 0.12f, sh * 0.45f);
        bar(frame, "SeatSp" + n, 0.40f, y + sh * 0.55f, 0.12f, sh * 0.35f);
    }
    // Clock and the own doll.
    // The own numbers may take two lines (a long run of hits at the end).
    text(frame, "Status", 0.53f, 0.0f, 0.25f, 0.13f);
    text(frame, "Own", 0.53f, 0.13f, 0.25f, 0.22f);
    bar(frame, "OwnHp", 0.53f, 0.36f, 0.18f, 0.06f);
    bar(frame, "OwnSp", 0.53f, 0.43f, 0.18f, 0.045f);
    bar(frame, "OwnFury", 0.53f, 0.485f, 0.18f, 0.045f);
    // Clear of the wind vane at its right.
    text(frame, "Skills", 0.53f, 0.535f, 0.18f, 0.165f);
    // The counters rise from beside the clock up into the view, clear of the vane under them;
    // the notices show over the bar.
    CEGUI::Window* counters = make(frame, "DefaultWindow", "battle", 0.71f, 0.0f, 0.07f, 0.30f);
    counters->setClippedByParent(false);
    const char* const numbers[] = {"hpnum2", "spnum2", "furynum2", "spnum3"};
    for (int i = 0; i < 4; ++i) {
        CEGUI::Window* n = make(*counters, "DefaultWindow", numbers[i], 0.0f, 0.0f, 1.0f, 0.0f);
        n->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0.25f * static_cast<float>(i), 0), CEGUI::UDim(1, 0),
                                CEGUI::UDim(0.25f * static_cast<float>(i), 24)));
        n->setClippedByParent(false);
    }
    CEGUI::Window* notices = make(frame, "DefaultWindow", "Battle", 0.30f, -0.25f, 0.40f, 0.2f);
    notices->setClippedByParent(false);
    CEGUI::Window* blank = text(*notices, "blank", 0.0f, 0.0f, 1.0f, 1.0f);
    blank->setProperty("HorzFormatting", "CentreAligned");
    blank->setProperty("TextColours", "tl:FFFFFFFF tr:FFFFFFFF bl:FFFFFFFF br:FFFFFFFF");
    blank->setClippedByParent(false);
    blank->hide();
    // The wind vane's picture, when the game has handed it over.
    CEGUI::Window* vane = make(frame, "TaharezLook/StaticImage", "Vane", 0.71f, 0.40f, 0.07f, 0.27f);
    vane->setProperty("FrameEnabled", "false");
    vane->setProperty("BackgroundEnabled", "false");
    vane->setProperty("AspectMode", "Shrink");
    vane->setProperty("AspectRatio", "1");
    if (CEGUI::ImageManager::getSingleton().isDefined("vane"))
        vane->setProperty("Image", "vane");
    // The radar with a dot per seat and per crate.
    CEGUI::Window* radar = make(frame, "TaharezLook/StaticImage", "Radar", 0.79f, 0.0f, 0.20f, 0.70f);
    radar->setProperty("BackgroundEnabled", "true");
    for (int i = 0; i < kSeats; ++i)
        text(*radar, "Dot" + std::to_string(i), 0.0f, 0.0f, 0.0f, 0.0f)->setText(outsideText("\u25CF"));
    for (int i = 0; i < 8; ++i) {
        CEGUI::Window* c = text(*radar, "Crate" + std::to_string(i), 0.0f, 0.0f, 0.0f, 0.0f);
        c->setText("#");
        c->setProperty("TextColours", "tl:FFC08040 tr:FFC08040 bl:FFC08040 br:FFC08040");
    }
    for (CEGUI::Window* dot : {radar}) {
        for (std::size_t i = 0; i < dot->getChildCount(); ++i) {
            dot->getChildAtIdx(i)->setSize(CEGUI::USize(CEGUI::UDim(0, 12), CEGUI::UDim(0, 12)));
            dot->getChildAtIdx(i)->hide();
        }
    }
    // Weapons (the first is the big one) and props.
    // The big weapon stands clear of the screen's corner: its ammo burst is drawn on its corner.
    CEGUI::Window* arms = make(frame, "DefaultWindow", "PlayFrm", 0.06f, 0.70f, 0.55f, 0.26f);
    for (int i = 0; i < 9; ++i) {
        const float x = i == 0 ? 0.0f : 0.12f + 0.098f * static_cast<float>(i - 1);
        CEGUI::Window* cell = make(*arms, "TaharezLook/StaticImage", i == 0 ? "BigArmFrm" : "Arm" + std::to_string(i),
                                   x, 0.0f, i == 0 ? 0.11f : 0.09f, 1.0f);
        cell->setProperty("FrameEnabled", "true");
        text(*cell, "count", 0.0f, 0.55f, 1.0f, 0.45f);
    }
    CEGUI::Window* props = make(frame, "DefaultWindow", "PropsContainer", 0.63f, 0.72f, 0.36f, 0.28f);
    for (int i = 0; i < 6; ++i) {
        CEGUI::Window* cell = make(*props, "TaharezLook/StaticImage", std::string("block_") + kLetters[i],
                                   0.165f * static_cast<float>(i), 0.0f, 0.15f, 1.0f);
        cell->setProperty("FrameEnabled", "true");
        text(*cell, "count", 0.0f, 0.55f, 1.0f, 0.45f);
    }
    if (mStatus)
        draw();
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
