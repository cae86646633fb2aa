#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <core/CEGUIPanelContainer.h>
#include <core/DialogBoxResult.h>

namespace kavri3D {
namespace core {

class Application;
class SceneInstance;

/// The application's main frame: the panel container under the GUI's root sheet, the message
/// boxes the player answers, and the scene currently shown.
class Frame : public CEGUIPanelContainer {
public:
    typedef boost::signals2::signal<void(DialogBoxResult&)> ResultSignal;
    typedef ResultSignal::slot_type ResultSlot;
    typedef std::function<std::string(const std::string&)> TextLookup;

    /// Box styles: which buttons a box shows. No button bit still gives an OK button.
    enum BoxStyle { BoxOk = 1, BoxCancel = 2 };
    /// What kind of box: its buttons (BoxStyle bits), its look (9, the game's one look) and its
    /// least size (a box grows to fit its text).
    struct BoxKind {
        int style;
        int type;
        int width;
        int height;
        /// The same kind with another least size, for the few boxes that need more room.
        constexpr BoxKind sized(int w, int h) const { return BoxKind{style, type, w, h}; }
    };
    /// A notice the player closes with OK.
    static constexpr BoxKind kNoticeBox{BoxOk, 9, 300, 150};
    /// A question the player answers with OK or Cancel.
    static constexpr BoxKind kQuestionBox{BoxOk | BoxCancel, 9, 300, 150};

    /// What was asked of the player, kept for tests and for the GUI stand-in.
    struct BoxRecord {
        int id = 0;
        std::string titleKey;
        std::string textKey;
        std::string title; // as shown
        std::string text;  // as shown
        int style = 0;
        int type = 0;
        int width = 0;
        int height = 0;
        bool choice = false; // has a result slot
        bool open = false;
        int pressed = -1; // button that closed it; -1 when cancelled or replaced
        std::vector<std::string> buttons;
    };

    explicit Frame(Application& app);
    ~Frame() override;

    /// Makes the top window (when a GUI system exists). False when that fails.
    virtual bool create();
    /// Closes the open box, lets the panels go and destroys the top window; safe to repeat.
    virtual void destroy();
    virtual bool enterScene(SceneInstance* scene);
    virtual void leaveScene();
    virtual void onFrameCreated() {}
    virtual void onFrameDestroyed() {}

    Application& getApplication() const { return mApp; }
    SceneInstance* getCurrentScene() const { return mScene; }

    /// A box with a title and text by message key. A new box replaces the open one.
    void messageBox(const std::string& titleKey, const std::string& textKey, int style, int type, int width,
                    int height);
    /// A box showing its title and text as written (no message keys; the record's keys stay
    /// empty).
    void messageBoxText(const std::string& title, const std::string& text, int style, int type, int width, int height);
    /// The same three boxes by kind.
    void messageBox(const std::string& titleKey, const std::string& textKey, const BoxKind& kind);
    void messageBoxText(const std::string& title, const std::string& text, const BoxKind& kind);
    boost::signals2::connection messageBox2(const std::string& titleKey, const std::string& textKey,
                                            const ResultSlot& slot, const BoxKind& kind);
    /// A box whose answer goes to `slot` with the pressed button's index, or with -1 when a newer
    /// box replaces it or cancelMessageBox closes it (once either way; a frame that is destroyed
    /// answers nothing). The connection ends when the box closes.
    boost::signals2::connection messageBox2(const std::string& titleKey, const std::string& textKey,
                                            const ResultSlot& slot, int style, int type, int width, int height);
    /// Closes the open box; its answer slot gets -1. A closed box's window is hidden at once and
    /// destroyed at the start of the next frame.
    void cancelMessageBox();
    /// Turns message keys into the texts shown; a key without text shows the key itself.
    void setTextLookup(TextLookup lookup) { mLookup = std::move(lookup); }

    /// Answers the open box as if the player pressed button `index`; false without an open
    /// box or with no such button.
    bool pressMessageBoxButton(int index);
    const std::vector<BoxRecord>& getMessageBoxes() const { return mBoxes; }
    /// The open box's record, null when none is open.
    const BoxRecord* getOpenMessageBox() const;
    /// The open box's window, null without one (or without a GUI system).
    CEGUI::Window* getMessageBoxWindow() const;

private:
    struct OpenBox;
    void openBox(const std::string& title, const std::string& text, bool byKey, int style, int type, int width,
                 int height, bool choice);
    /// Closes the open box's windows and hands the box (with its answer signal) to the caller.
    std::unique_ptr<OpenBox> takeOpenBox();
    /// Closes the open box without a word to its answer slot (the frame is going).
    void closeBox();
    /// Closes the open box and answers it with -1.
    void dismissBox();
    void answer(OpenBox& box, int button);
    std::string lookUp(const std::string& key) const;
    void buildBoxWindow(BoxRecord& record);
    static void fitBoxWindow(CEGUI::Window& box, CEGUI::Window& text, const CEGUI::Window& parent);
    /// A box button's click, as CEGUI delivers it.
    void onBoxButtonClicked(int boxId, int index);
    /// A key on the open box: Escape closes it unanswered.
    bool onBoxKeyDown(int boxId, int scanCode);

    Application& mApp;
    SceneInstance* mScene = nullptr;
    TextLookup mLookup;
    std::vector<BoxRecord> mBoxes;
    std::unique_ptr<OpenBox> mOpen;
    int mAnswering = 0; // inside a box button's click handler
};

typedef boost::shared_ptr<Frame> FramePtr;

} // namespace core
} // namespace kavri3D
