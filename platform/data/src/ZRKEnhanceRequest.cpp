#include "data/ZRKEnhanceRequest.h"

#include "data/ZRKGameData.h"
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKEnhanceRequest::queryIfEnhance(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryIfEnhance", text, done);
}
long ZRKEnhanceRequest::queryEnhance(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryEnhance", text, done);
}
long ZRKEnhanceRequest::queryIfRefine(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryIfRefine", text, done);
}
long ZRKEnhanceRequest::queryRefine(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryRefine", text, done);
}
long ZRKEnhanceRequest::queryIfMix(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryIfMix", text, done);
}
long ZRKEnhanceRequest::queryMix(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryMix", text, done);
}
long ZRKEnhanceRequest::queryIfEnchase(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryIfEnchase", text, done);
}
long ZRKEnhanceRequest::queryEnchase(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKEnhanceRequest", "queryEnchase", text, done);
}

core::XmlConfigHelper ZRKEnhanceRequest::getIfEnhanceInfo() { return ZRKGameData::liveView("forge/ifEnhance"); }
core::XmlConfigHelper ZRKEnhanceRequest::getEnhanceInfo() { return ZRKGameData::liveView("forge/enhance"); }
core::XmlConfigHelper ZRKEnhanceRequest::getIfRefineInfo() { return ZRKGameData::liveView("forge/ifRefine"); }
core::XmlConfigHelper ZRKEnhanceRequest::getRefineInfo() { return ZRKGameData::liveView("forge/refine"); }
core::XmlConfigHelper ZRKEnhanceRequest::getIfEquipMixInfo() { return ZRKGameData::liveView("forge/ifMix"); }
core::XmlConfigHelper ZRKEnhanceRequest::getEquipMixInfo() { return ZRKGameData::liveView("forge/mix"); }
core::XmlConfigHelper ZRKEnhanceRequest::getIfEnchaseInfo() { return ZRKGameData::liveView("forge/ifEnchase"); }
core::XmlConfigHelper ZRKEnhanceRequest::getEnchaseInfo() { return ZRKGameData::liveView("forge/enchase"); }

} // namespace zrk
} // namespace kavri3D
