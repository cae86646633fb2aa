#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace core {

/// What the client knows of another player: the user id and the user-info tree the lists and
/// cards are filled from.
class Avatar {
public:
    Avatar(const std::string& id, const XmlConfigHelper& settings) : mId(id), mSettings(settings) {}

    const std::string& getID() const { return mId; }
    const XmlConfigHelper& getUserSettings() const { return mSettings; }
    void setUserSettings(const XmlConfigHelper& settings) { mSettings = settings; }

private:
    std::string mId;
    XmlConfigHelper mSettings;
};

typedef boost::shared_ptr<Avatar> AvatarPtr;

} // namespace core
} // namespace kavri3D
