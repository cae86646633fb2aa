#include "battle/hud/BattlePrompts.h"

#include <cmath>
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <text/CeguiText.h>
#include <yake/Time.h>
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "prompt";
/// Numbers the prompt windows for the whole run.
int gPromptCounter = 0;

CEGUI::UDim px(float v) { return CEGUI::UDim(0.0f, v); }
float now() { return static_cast<float>(yake::native::getTime()); }

void place(const BattlePrompts::Prompt& p, float cw, float ch)
{
    p.window->setSize(CEGUI::USize(px(cw), px(ch)));
    p.window->setPosition(CEGUI::UVector2(CEGUI::UDim(p.x, -cw / 2.0f), CEGUI::UDim(p.y, -ch / 2.0f)));
}
/// Pixels between stacked prompts.
constexpr float kStackGap = 4.0f;
} // namespace

BattlePrompts::~BattlePrompts() { destroy(); }

void BattlePrompts::show(const std::string& image, bool pulse, float x, float y, float duration)
{
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    const CEGUI::String name = gui::toCeguiString(image);
    if (!images || image.empty() || !images->isDefined(name))
        return;
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!top || !CeguiWidgets::alive(top) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(duration))
        return;
    ++gPromptCounter;
    CEGUI::Window* w = nullptr;
    try {
        w = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("myprompt.layout", "General");
        if (!w)
            return;
        w->setName(gui::toCeguiString("ZRKLand" + std::to_string(gPromptCounter)));
        w->setProperty("Image", name);
        w->setMousePassThroughEnabled(true);
        w->setAlwaysOnTop(true);
        top->addChild(w);
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("prompt ") + image + " not shown: " + e.what());
        CeguiWidgets::destroy(w);
        return;
    }
    const CEGUI::Sizef size = images->get(name).getRenderedSize();
    Prompt p;
    p.window = w;
    p.x = x;
    p.y = y;
    p.w = size.d_width;
    p.h = size.d_height;
    p.state = pulse ? GrowThenPulse : Grow;
    p.endTime = now() + duration;
    // A prompt that would cover a live one goes under it: the words stack, each readable.
    const CEGUI::Sizef area = top->getPixelSize();
    if (area.d_width > 0.0f && area.d_height > 0.0f)
        for (std::size_t pass = 0, moved = 1; moved && pass <= mPrompts.size(); ++pass) {
            moved = 0;
            for (const Prompt& o : mPrompts)
                if (std::fabs((o.x - p.x) * area.d_width) < (o.w + p.w) / 2.0f &&
                    std::fabs((o.y - p.y) * area.d_height) < (o.h + p.h) / 2.0f) {
                    p.y = o.y + ((o.h + p.h) / 2.0f + kStackGap) / area.d_height;
                    moved = 1;
                }
        }
    place(p, p.w / 32.0f, p.h / 32.0f);
    mPrompts.push_back(p);
}

void BattlePrompts::update()
{
    const float t = now();
    for (auto it = mPrompts.begin(); it != mPrompts.end();) {
        Prompt& p = *it;
        if (t > p.endTime || !CeguiWidgets::alive(p.window)) {
            CeguiWidgets::destroy(p.window);
            it = mPrompts.erase(it);
            continue;
        }
        const CEGUI::Sizef s =
            p.window->getSize().d_width.d_offset >= 0.0f
                ? CEGUI::Sizef(p.window->getSize().d_width.d_offset, p.window->getSize().d_height.d_offset)
                : CEGUI::Sizef(0.0f, 0.0f);
        float cw = s.d_width, ch = s.d_height;
        if (cw < p.w || ch < p.h) {
            switch (p.state) {
            case Shrinking:
                cw -= 0.05f * p.w;
                ch -= 0.05f * p.h;
                if (cw < 0.8f * p.w || ch < 0.8f * p.h)
                    p.state = Regrowing;
                break;
            case Regrowing:
                cw += 0.05f * p.w;
                ch += 0.05f * p.h;
                if (cw >= p.w || ch >= p.h) {
                    if (p.endTime - t >= 3.0f) {
                        p.state = Shrinking; // the pulse goes on
                        cw = p.w - 1.0f;
                        ch = p.h - 1.0f;
                    } else {
                        p.state = Grow;
                        cw = p.w;
                        ch = p.h;
                    }
                }
                break;
            default:
                cw *= 2.0f;
                ch *= 2.0f;
                if (cw >= p.w || ch >= p.h) {
                    if (p.state == GrowThenPulse) {
                        p.state = Shrinking;
                        cw = p.w - 1.0f;
                        ch = p.h - 1.0f;
                    } else {
                        cw = p.w;
                        ch = p.h;
                    }
                }
                break;
            }
            place(p, cw, ch);
        }
        ++it;
    }
}

void BattlePrompts::destroy()
{
    for (Prompt& p : mPrompts)
        CeguiWidgets::destroy(p.window);
    mPrompts.clear();
}

} // namespace zrk
} // namespace kavri3D
