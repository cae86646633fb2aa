#include "PortraitPage.h"

#include <CEGUI/CEGUI.h>

#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kPicturePrefix[] = "Picture_";
const char kLabelPrefix[] = "Label_";
} // namespace

PortraitPage::PortraitPage(int kind, const std::string& windowName, const std::string& title, ParamStore& params,
                           ParentSource parent, std::vector<std::string> images, int columns)
    : GuiPage(kind, windowName, title, params, std::move(parent)), mImages(std::move(images)),
      mColumns(columns > 0 ? columns : 1)
{
}

void PortraitPage::buildContent(CEGUI::Window& frame)
{
    std::vector<std::string> grid;
    for (const std::string& image : mImages)
        if (inGrid(image))
            grid.push_back(image);
    const int rows = (static_cast<int>(grid.size()) + mColumns - 1) / mColumns;
    const float cw = 1.0f / mColumns, ch = 1.0f / (rows > 0 ? rows : 1);
    const float labelShare = captionShare();
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const float x = cw * static_cast<float>(i % static_cast<std::size_t>(mColumns));
        const float y = ch * static_cast<float>(i / static_cast<std::size_t>(mColumns));
        const CEGUI::URect label(CEGUI::UDim(x, 0), CEGUI::UDim(y + ch * (1 - labelShare), 0), CEGUI::UDim(x + cw, 0),
                                 CEGUI::UDim(y + ch, 0));
        addPicture(frame, grid[i],
                   CEGUI::URect(CEGUI::UDim(x + 0.01f, 0), CEGUI::UDim(y + 0.01f, 0), CEGUI::UDim(x + cw - 0.01f, 0),
                                CEGUI::UDim(y + ch * (1 - labelShare), 0)),
                   &label);
    }
}

CEGUI::Window* PortraitPage::addPicture(CEGUI::Window& parent, const std::string& image, const CEGUI::URect& area,
                                        const CEGUI::URect* label)
{
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* pic = wm.createWindow("TaharezLook/StaticImage", toCeguiString(kPicturePrefix + image));
    pic->setArea(area);
    // The pictures are square; a cell of another shape keeps them square.
    pic->setAspectMode(CEGUI::AM_SHRINK);
    pic->setAspectRatio(1.0f);
    pic->setProperty("BackgroundEnabled", "false"); // the pictures are cut out
    parent.addChild(pic);
    if (CEGUI::ImageManager::getSingleton().isDefined(toCeguiString(image)))
        pic->setProperty("Image", toCeguiString(image));
    if (!label)
        return pic;
    CEGUI::Window* caption = wm.createWindow("TaharezLook/StaticText", toCeguiString(kLabelPrefix + image));
    caption->setArea(*label);
    caption->setProperty("FrameEnabled", "false");
    caption->setProperty("BackgroundEnabled", "false");
    caption->setProperty("HorzFormatting", "HorzCentred");
    caption->setText(outsideText(this->caption(image)));
    parent.addChild(caption);
    return pic;
}

CEGUI::Window* PortraitPage::picture(const std::string& name) const
{
    CEGUI::Window* frame = window();
    const CEGUI::String child = toCeguiString(kPicturePrefix + name);
    // The pictures may sit in a part of the page (the bag page keeps them below its cells).
    return frame ? frame->getChildRecursive(child) : nullptr;
}

void PortraitPage::onImage(const std::string& name, bool defined)
{
    if (CEGUI::Window* pic = picture(name))
        pic->setProperty("Image", defined ? toCeguiString(name) : CEGUI::String());
}

void PortraitPage::onFrame()
{
    CEGUI::Window* frame = window();
    if (!frame || !frame->isEffectiveVisible())
        return;
    for (const std::string& name : mImages)
        if (CEGUI::Window* pic = picture(name); pic && !pic->getProperty("Image").empty())
            pic->invalidate();
}

std::string PortraitPage::shownImage(const std::string& name) const
{
    CEGUI::Window* pic = picture(name);
    return pic ? fromCeguiString(pic->getProperty("Image")) : std::string();
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
