#include "rooms/ScenePlayer.h"

#include <Ogre.h>
#include <cmath>
#include <core/GraphicsManager.h>
#include <json/value.h>

#include "rooms/JsonDataFile.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ScenePlayer);

namespace kavri3D {
namespace zrk {

const char* const ScenePlayer::kFile = "res/GUI/sceneplayer.json";

namespace {

const char kChannel[] = "ScenePlayer";

/// Three finite numbers; a missing value reads as the origin. False for any other form.
bool readVector(const Json::Value& v, Ogre::Vector3& out)
{
    out = Ogre::Vector3::ZERO;
    if (v.isNull())
        return true;
    if (!v.isArray())
        return false;
    for (Json::ArrayIndex i = 0; i < 3 && i < v.size(); ++i) {
        if (!v[i].isNumeric())
            return false;
        // A number past what a float holds would fly the camera to infinity.
        const double d = v[i].asDouble();
        if (!std::isfinite(static_cast<float>(d)))
            return false;
        out[i] = static_cast<float>(d);
    }
    return true;
}

/// A point: its position and the top-level target its "lookAt" names (the origin for a name
/// the file does not hold, or for a missing point).
bool readPoint(const Json::Value& doc, const Json::Value& point, ScenePlayer::KeyFrame& out)
{
    out = ScenePlayer::KeyFrame{Ogre::Vector3::ZERO, Ogre::Vector3::ZERO};
    if (point.isNull())
        return true;
    if (!point.isObject() || !readVector(point["pos"], out.position))
        return false;
    const Json::Value& target = point["lookAt"];
    if (target.isNull())
        return true;
    if (!target.isString())
        return false;
    return readVector(doc[target.asString()], out.lookAt);
}

bool readTexts(const Json::Value& list, std::vector<std::string>& out)
{
    if (list.isNull())
        return true;
    if (!list.isArray())
        return false;
    for (const Json::Value& item : list) {
        if (!item.isString())
            return false;
        out.push_back(item.asString());
    }
    return true;
}

} // namespace

ScenePlayer::ScenePlayer() = default;

ScenePlayer::~ScenePlayer() = default;

void ScenePlayer::load(const std::string& path)
{
    Json::Value doc;
    if (!JsonDataFile::load(path, doc, kChannel, "sceneplayer.json"))
        return;
    if (!read(doc)) {
        writeLog(6, kChannel, "sceneplayer.json read failed");
        mKeyframes.clear();
        mImagesets.clear();
        mTips.clear();
        mCycleLength = 0;
        mSpan = 0;
    }
}

bool ScenePlayer::read(const Json::Value& doc)
{
    if (!doc.isObject())
        return false;
    const Json::Value& cycleLength = doc["cyclelen"];
    const Json::Value& span = doc["span"];
    const Json::Value& cycle = doc["cycle"];
    if ((!cycleLength.isNull() && !cycleLength.isUInt()) || (!span.isNull() && !span.isInt()) ||
        (!cycle.isNull() && !cycle.isArray()))
        return false;
    mCycleLength = cycleLength.isNull() ? 0 : cycleLength.asUInt();
    mSpan = span.isNull() ? 0 : span.asInt();
    if (mCycleLength > kMaxCycleLength)
        return false;
    KeyFrame point;
    if (!readPoint(doc, doc["start"], point))
        return false;
    mKeyframes.push_back(point);
    for (unsigned i = 0; i < mCycleLength; ++i) {
        // Points past the end of the list stand at the origin.
        const Json::Value& entry = cycle.isArray() && i < cycle.size() ? cycle[i] : Json::Value::nullSingleton();
        if (!readPoint(doc, entry, point))
            return false;
        mKeyframes.push_back(point);
    }
    return readTexts(doc["imagesets"], mImagesets) && readTexts(doc["tips"], mTips);
}

ScenePlayer::Lists ScenePlayer::getImagesets() const { return Lists{mImagesets, mTips}; }

void ScenePlayer::update(float seconds)
{
    // A tour needs a start and two cycle points, and time to fly each segment.
    if (mKeyframes.size() < 3 || mSpan <= 0)
        return;
    const std::size_t last = mKeyframes.size() - 1;
    if (mIndex >= last)
        mIndex = 1;
    if (!step(mKeyframes[mIndex], mKeyframes[mIndex + 1], mElapsed)) {
        ++mIndex;
        mElapsed = 0;
    }
    mElapsed += seconds;
}

bool ScenePlayer::step(const KeyFrame& from, const KeyFrame& to, float elapsed) const
{
    float ratio = elapsed / static_cast<float>(mSpan);
    if (ratio > 1)
        ratio = 1;
    const Ogre::Vector3 position = from.position + (to.position - from.position) * ratio;
    const Ogre::Vector3 target = from.lookAt + (to.lookAt - from.lookAt) * ratio;
    Ogre::Camera* camera = core::GraphicsManager::getDefaultCamera();
    if (Ogre::SceneNode* node = camera ? camera->getParentSceneNode() : nullptr) {
        node->setOrientation(Ogre::Quaternion(Ogre::Radian(0), Ogre::Vector3::UNIT_Z));
        node->setPosition(position);
        // Upright all the way: the tour never rolls the view.
        node->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
        if (target != position)
            node->lookAt(target, Ogre::Node::TS_WORLD);
    }
    return ratio < 1;
}

} // namespace zrk
} // namespace kavri3D
