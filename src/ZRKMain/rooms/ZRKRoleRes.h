#pragma once
#include <json/value.h>
#include <string>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The default-appearance document "res/GUI/defstate.json": per look ("boy", "girl") its
/// animations, the character-creation camera, the idle timing and the room level limits.
class ZRKRoleRes : public Singleton<ZRKRoleRes> {
public:
    static const char* const kFile;

    ZRKRoleRes();
    virtual ~ZRKRoleRes();

    /// Reads the file; a missing or broken file leaves the document null (logged).
    void load(const std::string& path = kFile);
    /// Shared, not copied; null until a load succeeded.
    const Json::Value& getDefState() const { return mDocument; }

    /// The kinds of a default look's parts, in the order getDefaultParts gives them.
    static const char* const kPartKinds[5];
    /// The look of a character kind ("c_id"): 1 the boy, any other the girl.
    static std::string lookOf(long long characterKind) { return characterKind == 1 ? "boy" : "girl"; }

    /// The model of the look's part at the index ("boy", "hair", 0: "boy_hair_01"); "" for a
    /// missing look or part, an index out of its list or an entry that is no text.
    std::string getPart(const std::string& look, const char* part, int index) const;
    /// The hair, face, coat, glove and shoes a default look's indexes ("def_hair" ...
    /// "def_shoes", 0 when missing) choose for the look.
    std::vector<std::string> getDefaultParts(const std::string& look, const core::XmlConfigHelper& def) const;
    /// The look's animations from index 2 on: the actions a figure of that look plays while
    /// idle. Entries that are not texts are left out.
    std::vector<std::string> getIdleActions(const std::string& look) const;
    /// A number of the document ("MaxTimeSpan", "FloatSpan"), or the default when it is
    /// missing or not a number.
    float getNumber(const std::string& key, float def) const;

private:
    Json::Value mDocument;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKRoleRes);
