#pragma once
#include <memory>
#include <string>
#include <hikari/FlashControl.h>

namespace kavri3D {
namespace core {

/// A GUI pane that shows a Flash movie. It tells the engine's GUI manager when it is made
/// (0), goes (1), gets the focus (2) and loses it (3).
class HikariPane {
public:
    HikariPane(const std::string& name, bool withFlash);
    ~HikariPane();
    HikariPane(const HikariPane&) = delete;
    HikariPane& operator=(const HikariPane&) = delete;

    const std::string& getName() const { return mName; }
    /// The pane's movie; null for a pane without one.
    Hikari::FlashControl* getFlash() const { return mFlash.get(); }
    void setFocused(bool focused);

private:
    std::string mName;
    std::unique_ptr<Hikari::FlashControl> mFlash;
};

} // namespace core
} // namespace kavri3D
