#include "server/ZRKNameKey.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace kavri3D {
namespace zrk {

std::string ZRKNameKey::of(const std::string& name)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
    std::string out;
    if (U_FAILURE(status) || !fold)
        return text.foldCase().toUTF8String(out); // ICU without its normalisation data
    icu::UnicodeString folded = fold->normalize(text, status);
    if (U_FAILURE(status))
        return text.foldCase().toUTF8String(out);
    return folded.toUTF8String(out);
}

} // namespace zrk
} // namespace kavri3D
