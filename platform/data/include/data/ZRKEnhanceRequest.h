#pragma once
#include <string>
#include <util/XmlConfigHelper.h>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// The forge's requests: enhance, refine, mix and enchase, each asked first as a preview
/// (whether it can be done, its price and its chances) and then performed. Each takes the
/// parameter text the forge screen built and completes later, from the frame update, with
/// (error, text); the getters give the view of the last reply of each kind.
class ZRKEnhanceRequest {
public:
    static long queryIfEnhance(const std::string& text, ZRKReply done);
    static long queryEnhance(const std::string& text, ZRKReply done);
    static long queryIfRefine(const std::string& text, ZRKReply done);
    static long queryRefine(const std::string& text, ZRKReply done);
    static long queryIfMix(const std::string& text, ZRKReply done);
    static long queryMix(const std::string& text, ZRKReply done);
    static long queryIfEnchase(const std::string& text, ZRKReply done);
    static long queryEnchase(const std::string& text, ZRKReply done);

    static core::XmlConfigHelper getIfEnhanceInfo();
    static core::XmlConfigHelper getEnhanceInfo();
    static core::XmlConfigHelper getIfRefineInfo();
    static core::XmlConfigHelper getRefineInfo();
    static core::XmlConfigHelper getIfEquipMixInfo();
    static core::XmlConfigHelper getEquipMixInfo();
    static core::XmlConfigHelper getIfEnchaseInfo();
    static core::XmlConfigHelper getEnchaseInfo();
};

} // namespace zrk
} // namespace kavri3D
