#pragma once
#include <CEGUI/UDim.h>
#include <CEGUI/Rect.h>
#include <string>
#include <vector>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// A page that shows pictures the game renders and hands over by image name (the player's
/// portrait and the try-on model, the eight seats of a room, the prize boxes): one square
/// picture per name, in a grid, each showing its image while the manager holds one.
class PortraitPage : public GuiPage {
public:
    PortraitPage(int kind, const std::string& windowName, const std::string& title, ParamStore& params,
                 ParentSource parent, std::vector<std::string> images, int columns);

    /// The manager made (`defined`) or is about to destroy the named image: a picture of
    /// that name takes it, or lets it go before it is gone.
    void onImage(const std::string& name, bool defined);
    /// The image the named picture shows; empty when none (or no such picture).
    std::string shownImage(const std::string& name) const;
    /// Once a frame: the pictures are live renders (a figure turning or playing its idle
    /// actions), so while the page is up they are drawn afresh rather than kept from the last
    /// time its frame was drawn.
    void onFrame();

protected:
    void buildContent(CEGUI::Window& frame) override;
    /// The words under a picture; the image's own name unless the page says otherwise.
    virtual std::string caption(const std::string& image) const { return image; }
    /// The share of a grid cell's height the caption takes.
    virtual float captionShare() const { return 0.14f; }
    /// False for a picture the page places itself (with `addPicture`) rather than in the grid.
    virtual bool inGrid(const std::string& image) const { return true; }
    /// The picture of the image in the area (fractions of `parent`), square, with its caption
    /// in the area under it (none when `label` is null); the picture's window.
    CEGUI::Window* addPicture(CEGUI::Window& parent, const std::string& image, const CEGUI::URect& area,
                              const CEGUI::URect* label);

private:
    CEGUI::Window* picture(const std::string& name) const;

    const std::vector<std::string> mImages;
    const int mColumns;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
