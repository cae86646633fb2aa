#include "battle/BattleGuide.h"

#include <algorithm>
#include <cmath>
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <text/CeguiText.h>
#include <land/ZRKLand.h>
#include "battle/BattleLoading.h"
#include "battle/BattleRoom.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
/// The portraits and titles of the people who speak in a fixed play's dialog.
const char* const kNpcImages = "npcDialog";
} // namespace

BattleGuide::~BattleGuide() = default;

void BattleGuide::schedule(const std::string& text, float seconds)
{
    mText = text;
    mDuration = std::isfinite(seconds) && seconds > 0.0f ? std::min(seconds, 600.0f) : 0.0f;
    mWaiting = true;
    checkLoadingDone(); // without a loading screen the text shows at once
}

void BattleGuide::checkLoadingDone()
{
    ZRKLand* land = mRoom.getLand();
    BattleRoom::ZRKProgressPanel* progress = mRoom.getProgressPanel();
    if (land && progress) {
        progress->update(0.0f);
        // Loaded, or every row is through while a guide text waits for the screen.
        if (land->isLoaded() || (mWaiting && progress->isDone()))
            mRoom.mLoading->destroyProgressPanel();
    }
    if (mWaiting && !mRoom.getProgressPanel()) {
        mWaiting = false;
        show(mText, mDuration);
    }
}

namespace {
/// A child by path; null when there is none.
CEGUI::Window* childOf(CEGUI::Window* parent, const char* path)
{
    return parent && parent->isChild(path) ? parent->getChild(path) : nullptr;
}

void setImage(CEGUI::Window* w, const std::string& imageset, const std::string& image)
{
    CeguiWidgets::setImage(w, image.empty() ? std::string() : CeguiWidgets::imageName(imageset, image));
}
} // namespace

bool BattleGuide::makeWindows()
{
    if (mLeadText && CeguiWidgets::alive(mLeadText) && mNpcDialog && CeguiWidgets::alive(mNpcDialog))
        return true;
    destroyWindows();
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    if (!windows || !CEGUI::System::getSingletonPtr())
        return false;
    try {
        mGuideRoot = windows->loadLayoutFromFile("battleGuide.layout", "General");
        mLeadText = childOf(mGuideRoot, "leadTextBg");
        mNpcDialog = windows->loadLayoutFromFile("npcDialog.layout", "General");
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the guide's windows cannot be made: ") + e.what());
        destroyWindows();
        return false;
    }
    if (!mLeadText || !mNpcDialog) {
        destroyWindows();
        return false;
    }
    // The dialog's faces: a set that is missing leaves the portrait empty, the text still shows.
    if (!CEGUI::ImageManager::getSingleton().isDefined(
            CeguiWidgets::utf8(CeguiWidgets::imageName(kNpcImages, "FpHead1"))))
        try {
            CeguiWidgets::loadImageset(std::string(kNpcImages) + ".imageset");
        } catch (const std::exception& e) {
            writeLog(kLogWarning, kChannel, std::string("the NPC dialog's portraits are not loaded: ") + e.what());
        }
    return true;
}

void BattleGuide::destroyWindows()
{
    // The lead text may hang under the top window: it goes on its own.
    if (mLeadText && CeguiWidgets::alive(mLeadText) && mLeadText->getParent() != mGuideRoot)
        CeguiWidgets::destroy(mLeadText);
    CeguiWidgets::destroy(mGuideRoot);
    CeguiWidgets::destroy(mNpcDialog);
    mLeadText = nullptr;
    CeguiWidgets::destroyImageset(kNpcImages);
}

void BattleGuide::show(const std::string& text, float seconds)
{
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    // A map without a guide text waits the same time, without an empty board over the field.
    if (!text.empty() && top && CeguiWidgets::alive(top) && makeWindows()) {
        try {
            CEGUI::Window* root = mLeadText;
            CEGUI::Window* content = childOf(mLeadText, "content");
            ZRKLand* land = mRoom.getLand();
            if (land && land->getFixPlay() != 0) {
                // A stage's guide speaks through its NPC's dialog.
                const int n = std::max(1, land->getZRKDs().getIntVal("d_id", 0) - 2000);
                const int portrait = n == 2 ? 2 : n == 4 ? 3 : 1;
                setImage(childOf(mNpcDialog, "portrait"), "npcDialog", "FpHead" + std::to_string(portrait));
                setImage(childOf(mNpcDialog, "title"), "npcDialog", "FpTit" + std::to_string(portrait));
                if (CEGUI::Window* key = childOf(mNpcDialog, "lblKey"))
                    key->hide();
                if (CEGUI::Window* background = childOf(mNpcDialog, "bkgnd"))
                    background->setProperty("ImageColours", "tl:FFFD3D9B tr:FFFD3D9B bl:FFFD3D9B br:FFFD3D9B");
                root = mNpcDialog;
                content = childOf(mNpcDialog, "txt");
            }
            top->addChild(root);
            root->show();
            root->moveToFront();
            if (content)
                content->setText(gui::outsideText(text));
            for (const char* part : {"enter", "hand"})
                if (CEGUI::Window* w = childOf(mLeadText, part))
                    w->setAlpha(0.0f);
        } catch (const std::exception& e) {
            writeLog(kLogError, kChannel, std::string("the guide text is not shown: ") + e.what());
        }
    }
    clear();
    const float ms = std::isfinite(seconds) && seconds > 0.0f ? std::min(seconds, 600.0f) * 1000.0f : 0.0f;
    BattleRoom* room = &mRoom;
    mRoom.setTimer(mRoom.mSimulatorTimer, static_cast<unsigned>(ms), [room]() { room->startSimulator(); });
}

void BattleGuide::hide()
{
    try {
        if (mLeadText && CeguiWidgets::alive(mLeadText)) {
            if (CEGUI::Window* parent = mLeadText->getParent())
                if (parent != mGuideRoot)
                    parent->removeChild(mLeadText);
            mLeadText->hide();
            if (CEGUI::Window* content = childOf(mLeadText, "content"))
                content->setText("");
            for (const char* part : {"enter", "hand"})
                if (CEGUI::Window* w = childOf(mLeadText, part))
                    w->setAlpha(1.0f);
            if (mGuideRoot && CeguiWidgets::alive(mGuideRoot) && !mLeadText->getParent())
                mGuideRoot->addChild(mLeadText);
        }
        if (mNpcDialog && CeguiWidgets::alive(mNpcDialog)) {
            setImage(childOf(mNpcDialog, "portrait"), "", "");
            setImage(childOf(mNpcDialog, "title"), "", "");
            if (CEGUI::Window* key = childOf(mNpcDialog, "lblKey"))
                key->show();
            if (CEGUI::Window* parent = mNpcDialog->getParent())
                parent->removeChild(mNpcDialog);
            mNpcDialog->hide();
            if (CEGUI::Window* txt = childOf(mNpcDialog, "txt"))
                txt->setText("");
        }
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the guide's windows are not hidden: ") + e.what());
    }
}

std::string BattleGuide::shownText() const
{
    for (CEGUI::Window* root : {mLeadText, mNpcDialog}) {
        if (!root || !CeguiWidgets::alive(root) || !root->isVisible() || root->getParent() == mGuideRoot ||
            !root->getParent())
            continue;
        CEGUI::Window* content = childOf(root, root == mLeadText ? "content" : "txt");
        if (content)
            return content->getText().c_str();
    }
    return std::string();
}

void BattleGuide::clear()
{
    mText.clear();
    mDuration = 0.0f;
}

} // namespace zrk
} // namespace kavri3D
