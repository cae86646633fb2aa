#include "battle/BattleHintManager.h"

#include <cstdlib>
#include <tinyxml.h>
#include <util/StringConv.h>
#include <yake/FileText.h>
#include <yake/XmlText.h>
#include "battle/BattleHintTipProc.h"
#include "battle/BattleHintUpdatableProc.h"
#include "services/LogRoutine.h"
#include "services/XmlEntities.h"

namespace kavri3D {
namespace zrk {

const char* const BattleHintManager::kFile = "res/GUI/_zrk_hints.xml";

BattleHintManager::BattleHintManager(BattleRoom* room) : mRoom(room)
{
    mProcs.reserve(16);
    addFactory(BattleHintTipProc::kKey, &BattleHintTipProc::make);
}

BattleHintManager::~BattleHintManager() = default;

void BattleHintManager::load(const std::string& path)
{
    if (yake::FileText::missing(path))
        return;
    std::string text, error;
    if (!yake::FileText::read(path, text, error, kMaxFileSize)) {
        writeLog(kLogError, "BattleHintManager", "failed in parsing hints: " + error);
        return;
    }
    loadText(text);
}

void BattleHintManager::loadText(const std::string& raw)
{
    const std::string text = core::TidyXmlCRLF(raw);
    // TinyXML recurses once per level and steps over characters by their first byte: a text
    // nested deeper than hints ever are, or not whole UTF-8, is refused first.
    TiXmlDocument doc("importItems");
    if (text.size() > kMaxFileSize || !yake::XmlText::wholeText(text) ||
        yake::XmlText::depth(text) > yake::XmlText::kMaxDepth ||
        (doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8), doc.Error())) {
        writeLog(kLogError, "BattleHintManager", "failed in parsing hints");
        return;
    }
    const TiXmlElement* root = doc.RootElement();
    const TiXmlElement* hints = root ? root->FirstChildElement("zrk_hints") : nullptr;
    if (!hints)
        return;
    for (const TiXmlElement* item = hints->FirstChildElement("Item"); item; item = item->NextSiblingElement("Item")) {
        const char* type = item->Attribute("t");
        if (!type)
            continue;
        auto factory = mFactories.find(std::string("ht") + type);
        if (factory == mFactories.end())
            continue;
        HintTexts texts;
        for (const TiXmlElement* t = item->FirstChildElement("Text"); t; t = t->NextSiblingElement("Text")) {
            HintText hint;
            const char* r = t->Attribute("r");
            hint.weight = r ? static_cast<float>(std::atof(r)) : 1.0f;
            hint.text = getElementText(t, false);
            texts.push_back(hint);
        }
        if (texts.empty())
            continue;
        weigh(texts);
        addProc(factory->second(*this, texts));
    }
}

void BattleHintManager::weigh(HintTexts& texts)
{
    if (texts.size() == 1) {
        texts[0].cumulative = 1.0f;
        return;
    }
    float sum = 0.0f;
    for (const HintText& t : texts)
        sum += t.weight;
    float running = 0.0f;
    for (HintText& t : texts) {
        running += t.weight;
        t.cumulative = sum >= 0.001f ? running / sum : 1.0f / static_cast<float>(texts.size());
    }
}

void BattleHintManager::addProc(const boost::shared_ptr<BattleHintProc>& proc)
{
    if (!proc)
        return;
    mProcs.push_back(proc);
    if (boost::dynamic_pointer_cast<BattleHintUpdatableProc>(proc))
        mUpdatables.push_back(proc);
}

void BattleHintManager::update(float seconds)
{
    if (!mStarted) {
        mStarted = true;
        for (const auto& proc : mProcs)
            proc->start();
    }
    for (const auto& proc : mUpdatables)
        static_cast<BattleHintUpdatableProc*>(proc.get())->update(seconds);
}

void BattleHintManager::stop()
{
    if (mStarted) {
        mStarted = false;
        for (const auto& proc : mProcs)
            proc->stop();
    }
    mProcs.clear();
    mUpdatables.clear();
}

} // namespace zrk
} // namespace kavri3D
