#pragma once
#include <OgreVector.h>
#include <string>
#include <vector>
#include <util/Singleton.h>

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {

/// The log-in screen's slow tour: flies the game window's camera from a start point through
/// a cycle of key points, each segment in "span" time units at constant speed, looking at
/// named targets. Also carries the image sets the GUI loads and its tips. All of it comes
/// from "res/GUI/sceneplayer.json".
class ScenePlayer : public Singleton<ScenePlayer> {
public:
    struct KeyFrame {
        Ogre::Vector3 position;
        Ogre::Vector3 lookAt;
    };
    /// What the GUI is handed: image set names and tip texts.
    struct Lists {
        std::vector<std::string> imagesets;
        std::vector<std::string> tips;
    };

    static const char* const kFile;
    /// More cycle points than this is no tour.
    static constexpr unsigned kMaxCycleLength = 1000;

    ScenePlayer();
    ~ScenePlayer();

    /// Reads the file; a missing file, bad JSON or a value of the wrong type logs one line and
    /// leaves the lists empty.
    void load(const std::string& path = kFile);
    /// Moves the camera one frame along; nothing without a start and two cycle points or with
    /// a span of 0 or less.
    void update(float seconds);
    Lists getImagesets() const;

    const std::vector<KeyFrame>& getKeyFrames() const { return mKeyframes; }
    unsigned getIndex() const { return mIndex; }
    unsigned getCycleLength() const { return mCycleLength; }
    float getElapsed() const { return mElapsed; }
    int getSpan() const { return mSpan; }

private:
    /// False when the document does not have the expected form.
    bool read(const Json::Value& doc);
    /// Places the camera between the two points; false once it has arrived.
    bool step(const KeyFrame& from, const KeyFrame& to, float elapsed) const;

    std::vector<KeyFrame> mKeyframes;
    std::vector<std::string> mImagesets;
    std::vector<std::string> mTips;
    unsigned mIndex = 0;
    unsigned mCycleLength = 0;
    float mElapsed = 0;
    int mSpan = 0;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ScenePlayer);
