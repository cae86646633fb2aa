#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// The form in which two names count as one for "taken": Unicode case folding with
/// compatibility normalisation (ICU's NFKC_Casefold), so "ÄRGER" and "ärger", "STRASSE" and
/// "straße", are one name in any script. Bytes that are no UTF-8 fold as replacement marks.
class ZRKNameKey {
public:
    static std::string of(const std::string& name);
};

} // namespace zrk
} // namespace kavri3D
