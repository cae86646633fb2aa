#pragma once
#include <boost/function.hpp>
#include <json/value.h>
#include <map>
#include <string>
#include <util/Singleton.h>

#include <data/IEquipmentManager.h>
#include <gui/BagData.h>

namespace kavri3D {
namespace zrk {

/// The client's equipment resources: per item id its icon, model, alternative model and
/// "_sf" name (from "res/GUI/zrk.icons"), the player's default look and outfit, the looks
/// and equipment of the seats of the room shown, and the GUI item records filled from the
/// item library's attributes by name.
class EquipRes : public IEquipmentManager, public Singleton<EquipRes> {
public:
    static const char* const kFile;
    typedef boost::function<void(gui::BagData*, const std::string&)> AttributeParser;

    EquipRes();
    ~EquipRes() override;

    /// Brings the server's item library in step, reads the icons file, hands this object to
    /// the game-data library and registers the attribute table. A missing or broken file
    /// leaves the item tables as they were (logged); the rest is done anyway.
    void load(const std::string& path = kFile);

    std::string getIcon(int itemId) override;
    /// Item kind id to icon name, as read from the icons file.
    const std::map<int, std::string>& getIconTable() const { return mIcons; }
    /// An unknown id is remembered with an empty model.
    std::string getModel(int itemId) override;
    std::string getAltModel(int itemId) override;
    std::string getSfName(int itemId) override;
    /// The outfit (suite or coat first), then the six default items of the default look.
    core::EquipmentList getDefaultEquipment() override;
    std::map<std::string, std::string>& getModelTable() override { return mModelTable; }
    void setEquipmentList(const std::map<std::string, std::string>& table) { mModelTable = table; }
    core::XmlConfigHelper getDefState() override { return mDefaultState; }
    void setDefState(const core::XmlConfigHelper& state) { mDefaultState = state; }

    void setSeatEquipment(const std::string& seat, const core::EquipmentList& items) { mSeatEquipment[seat] = items; }
    core::EquipmentList getSeatEquipment(const std::string& seat) const;
    void setSeatLook(const std::string& seat, const std::string& look) { mSeatLooks[seat] = look; }
    std::string getSeatLook(const std::string& seat) const;

    /// The item document as read ("data" the items, "arm" the battle's weapons); null before.
    const Json::Value& getItemDocument() const { return mIconsDocument; }
    /// Sets the record's item id and template part; the library is asked once per item.
    void fillItemRecord(int itemId, gui::BagData& record);
    bool hasAttributeParser(const std::string& name) const { return mAttributeParsers.count(name) > 0; }
    std::size_t attributeParserCount() const { return mAttributeParsers.size(); }
    std::size_t modelCount() const { return mModels.size(); }

private:
    void registerAttributeTable();

    Json::Value mIconsDocument;
    std::map<int, std::string> mIcons;
    std::map<int, std::string> mModels;
    std::map<int, std::string> mAltModels;
    std::map<int, std::string> mSfNames;
    std::map<int, gui::BagData> mRecordCache;
    std::map<std::string, core::EquipmentList> mSeatEquipment;
    std::map<std::string, std::string> mSeatLooks;
    core::XmlConfigHelper mDefaultState;
    std::map<std::string, std::string> mModelTable;
    std::map<std::string, AttributeParser> mAttributeParsers;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::EquipRes);
