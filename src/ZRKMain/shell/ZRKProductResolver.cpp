#include "shell/ZRKProductResolver.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <core/BlackBoard.h>
#include <regex>
#include <transport/TransportService.h>
#include <util/Manifest.h>

#include "services/LogRoutine.h"
#include "shell/Application.h"

namespace kavri3D {
namespace zrk {

namespace {

const char kChannel[] = "resx";
const char kFilesPart[] = "/files/";
const char kDataFolder[] = "/files/data/";

// What each stage fetches: keys beginning so; the last stage takes every key.
const std::regex kStageFilters[] = {std::regex("^(mapxs)"),  std::regex("^(wq1_0100)"), std::regex("^(wq1_c)"),
                                    std::regex("^(daoju_)"), std::regex("^(buff_)"),    std::regex("^(star_)")};
const int kFilteredStages = sizeof kStageFilters / sizeof kStageFilters[0];

std::string lower(const std::string& s) { return boost::algorithm::to_lower_copy(s); }

std::string boardString(const char* key)
{
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    return board ? board->getString(key, "") : std::string();
}

} // namespace

ZRKProductResolver::ZRKProductResolver() : ZRKProductResolver(Application::manifest()) {}

ZRKProductResolver::ZRKProductResolver(const core::Manifest* manifest) : mAppPath(boardString("kavri3D/appPath"))
{
    buildFileMap(manifest);
    mPending = mFileMap;
    mPosition = mPending.begin();
}

ZRKProductResolver::~ZRKProductResolver() = default;

void ZRKProductResolver::buildFileMap(const core::Manifest* manifest)
{
    if (!manifest)
        return;
    for (const core::FileFolder& folder : manifest->getFolders()) {
        if (!boost::algorithm::istarts_with(folder.path, kDataFolder))
            continue;
        for (const core::FileItem& file : folder.items) {
            std::string key = lower(file.name);
            const std::size_t dot = key.rfind('.');
            if (dot != std::string::npos)
                key.erase(dot);
            if (!isSafeKey(key)) {
                writeLog(kLogWarning, kChannel, "kavri.manifest: \"" + file.name + "\" is not a file name, left out");
                continue;
            }
            mFileMap[key] = file.path;
        }
    }
}

std::string ZRKProductResolver::keyToUrl(const std::string& key)
{
    auto it = mFileMap.find(lower(key));
    const std::string path = it != mFileMap.end() ? it->second : kDataFolder + key + ".ss1";
    return Application::getInstallerUrl() + path;
}

std::string ZRKProductResolver::programCopy(const std::string& listedPath) const
{
    if (listedPath.compare(0, sizeof kFilesPart - 1, kFilesPart) != 0)
        return std::string();
    return mAppPath + listedPath.substr(sizeof kFilesPart - 1);
}

void ZRKProductResolver::fetch(const std::string& key) { HttpFileCache::resolve(key, keyToUrl(key), "", Completion()); }

void ZRKProductResolver::prefetchStep()
{
    if (mStage >= kDone || mPending.empty())
        return;
    // Never in the way of another transfer.
    std::size_t active = 0, waiting = 0;
    core::TransportService::instance().getQueuedJobs(active, waiting);
    if (active != 0 || waiting != 0)
        return;
    int budget = mStage == 0 ? 25 : 50;
    while (mPosition != mPending.end()) {
        if (budget-- == 1)
            break;
        const std::string& key = mPosition->first;
        if ((mStage == 0 && Application::fileExists(programCopy(mPosition->second))) ||
            Application::fileExists(keyToFile(key))) {
            mPosition = mPending.erase(mPosition);
            continue;
        }
        if (mStage >= kFilteredStages || std::regex_search(key, kStageFilters[mStage])) {
            const std::string fetched = key;
            mPosition = mPending.erase(mPosition);
            fetch(fetched);
            break; // one download per step
        }
        ++mPosition;
    }
    if (mPosition == mPending.end()) {
        ++mStage;
        mPosition = mPending.begin();
    }
}

int ZRKProductResolver::prefetchNow(const std::string& name)
{
    const std::string key = lower(name);
    if (!isSafeKey(key)) {
        writeLog(kLogWarning, kChannel, "data product \"" + name + "\" refused: not a file name");
        return -1;
    }
    auto it = mPending.find(key);
    if (it == mPending.end())
        return -1;
    if (Application::fileExists(programCopy(it->second)) || Application::fileExists(keyToFile(key)))
        return 0;
    if (it == mPosition)
        ++mPosition;
    mPending.erase(it);
    fetch(key);
    return 1;
}

core::SceneDocumentPtr ZRKProductResolver::onMissing(const std::string& product)
{
    const std::string key = lower(product);
    if (mMissing.insert(key).second)
        writeLog(kLogWarning, kChannel, "data product " + key + " missing");
    return AsyncProductResolver::onMissing(product);
}

} // namespace zrk
} // namespace kavri3D
