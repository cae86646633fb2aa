#pragma once
#include <list>
#include <string>

namespace kavri3D {
namespace core {

/// One item a player wears or shows: the item's model name and, when known, the equipment
/// kind it is worn as ("hairstyle", "coat"...), which decides where it sits on the figure.
class Equipment {
public:
    explicit Equipment(const std::string& item = std::string(), const std::string& kind = std::string());

    const std::string& getItem() const { return mItem; }
    const std::string& getKind() const { return mKind; }
    bool operator==(const Equipment& other) const { return mItem == other.mItem && mKind == other.mKind; }

private:
    std::string mItem;
    std::string mKind;
};

typedef std::list<Equipment> EquipmentList;

} // namespace core
} // namespace kavri3D
