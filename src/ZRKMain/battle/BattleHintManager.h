#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class BattleHintProc;
class BattleRoom;

/// The battle's hints: the texts of "_zrk_hints.xml", each item run by the processor its type
/// names, started with the fight, updated every frame and stopped at the end.
class BattleHintManager {
public:
    struct HintText {
        float weight = 1.0f;
        std::string text;
        float cumulative = 0.0f; ///< the share of the texts up to this one (the last is 1)
    };
    typedef std::vector<HintText> HintTexts;
    typedef boost::function<boost::shared_ptr<BattleHintProc>(BattleHintManager&, const HintTexts&)> Factory;
    static const char* const kFile;
    static const std::size_t kMaxFileSize = 256 * 1024;

    explicit BattleHintManager(BattleRoom* room);
    virtual ~BattleHintManager();

    /// Reads the hints file and makes the processors (a missing file makes none).
    void load(const std::string& path = kFile);
    /// The same, from the file's text.
    void loadText(const std::string& text);
    void update(float seconds);
    void stop();
    void addProc(const boost::shared_ptr<BattleHintProc>& proc);
    /// A processor type by its key ("ht" and the item's "t").
    void addFactory(const std::string& key, const Factory& factory) { mFactories[key] = factory; }

    /// Fills each text's share of the whole.
    static void weigh(HintTexts& texts);
    BattleRoom* getRoom() const { return mRoom; }
    std::size_t getProcCount() const { return mProcs.size(); }
    bool isStarted() const { return mStarted; }

private:
    std::map<std::string, Factory> mFactories;
    std::vector<boost::shared_ptr<BattleHintProc>> mProcs;
    std::list<boost::shared_ptr<BattleHintProc>> mUpdatables;
    BattleRoom* mRoom;
    bool mStarted = false;
};

} // namespace zrk
} // namespace kavri3D
