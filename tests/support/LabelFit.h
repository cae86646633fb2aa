#pragma once
// What the player cannot read in full: a label, a button's caption or a cell's text whose
// drawn extent runs past the place it is drawn in, or a text window cut by the window it sits in.
#include <CEGUI/CEGUI.h>
#include <CEGUI/LeftAlignedRenderedString.h>
#include <CEGUI/RenderedStringWordWrapper.h>
#include <string>
#include <vector>

namespace zrktest {

namespace labelfit {

/// A static text (label) rather than another kind of window.
inline bool isLabel(const CEGUI::Window& w) { return w.getWindowRendererName() == "Core/StaticText"; }

/// The pixels the window's text is drawn in: a static text's named text area, a button's whole face.
inline CEGUI::Rectf textArea(const CEGUI::Window& w)
{
    const CEGUI::Rectf outer = w.getUnclippedOuterRect().get();
    CEGUI::Rectf area(CEGUI::Vector2f(0, 0), outer.getSize());
    if (isLabel(w)) {
        const CEGUI::WidgetLookFeel& look = CEGUI::WidgetLookManager::getSingleton().getWidgetLook(w.getLookNFeel());
        const CEGUI::String name =
            w.getProperty("FrameEnabled") == "true" ? "WithFrameTextRenderArea" : "NoFrameTextRenderArea";
        if (look.isNamedAreaDefined(name))
            area = look.getNamedArea(name).getArea().getPixelRect(w);
    }
    return CEGUI::Rectf(outer.getPosition() + area.getPosition(), area.getSize());
}

inline bool wraps(const CEGUI::String& formatting) { return formatting.find("WordWrap") != CEGUI::String::npos; }

} // namespace labelfit

/// Every shown label, button caption and cell text under `root` whose text does not fit: each
/// as "window: text (what overflows)". Typed text (edit boxes) scrolls and list lines have
/// their own scroll bars; neither is looked at.
inline std::vector<std::string> clippedLabels(CEGUI::Window* root)
{
    std::vector<std::string> found;
    std::vector<CEGUI::Window*> todo{root};
    while (!todo.empty()) {
        CEGUI::Window* w = todo.back();
        todo.pop_back();
        if (!w || !w->isEffectiveVisible())
            continue;
        for (std::size_t i = 0; i < w->getChildCount(); ++i)
            todo.push_back(w->getChildAtIdx(i));
        const bool label = labelfit::isLabel(*w);
        const bool button = dynamic_cast<CEGUI::PushButton*>(w) != nullptr;
        if (w->getText().empty() || (!label && !button))
            continue;
        // A static text that scrolls shows all of its text by its bars.
        if (label && (w->getProperty("VertScrollbar") == "true" || w->getProperty("HorzScrollbar") == "true"))
            continue;
        const CEGUI::Rectf area = labelfit::textArea(*w);
        const std::string where = std::string(w->getNamePath().c_str()) + ": " + w->getText().c_str();
        float wide = 0, high = 0;
        if (labelfit::wraps(w->getProperty(label ? "HorzFormatting" : "HorzLabelFormatting"))) {
            CEGUI::RenderedStringWordWrapper<CEGUI::LeftAlignedRenderedString> wrapped(w->getRenderedString());
            wrapped.format(w, area.getSize());
            wide = wrapped.getHorizontalExtent(w);
            high = wrapped.getVerticalExtent(w);
        } else {
            wide = w->getRenderedString().getHorizontalExtent(w);
            high = w->getRenderedString().getVerticalExtent(w);
        }
        // Half a pixel either way is the font's rounding, not a cut letter.
        if (wide > area.getWidth() + 0.5f)
            found.push_back(where + " (" + std::to_string(static_cast<int>(wide)) + " px wide in " +
                            std::to_string(static_cast<int>(area.getWidth())) + ")");
        else if (high > area.getHeight() + 0.5f)
            found.push_back(where + " (" + std::to_string(static_cast<int>(high)) + " px high in " +
                            std::to_string(static_cast<int>(area.getHeight())) + ")");
        // The window itself cut by the one it sits in.
        const CEGUI::Rectf shown = w->getOuterRectClipper();
        const CEGUI::Rectf whole = w->getUnclippedOuterRect().get();
        if (shown.getWidth() + 1.0f < whole.getWidth() || shown.getHeight() + 1.0f < whole.getHeight())
            found.push_back(where + " (cut by its parent)");
    }
    return found;
}

} // namespace zrktest
