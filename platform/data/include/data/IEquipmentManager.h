#pragma once
#include <map>
#include <string>
#include <misc/Equipment.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// What the game-data library asks the client about items: icons, models and the default
/// look. The client hands its one to ZRKUserRequest::setEquipmentMgr. The order of the
/// operations is part of the interface.
class IEquipmentManager {
public:
    virtual ~IEquipmentManager() = default;
    virtual std::string getIcon(int itemId) = 0;
    virtual std::string getModel(int itemId) = 0;
    virtual std::string getAltModel(int itemId) = 0;
    virtual std::string getSfName(int itemId) = 0;
    virtual core::EquipmentList getDefaultEquipment() = 0;
    virtual std::map<std::string, std::string>& getModelTable() = 0;
    virtual core::XmlConfigHelper getDefState() = 0;
};

} // namespace zrk
} // namespace kavri3D
