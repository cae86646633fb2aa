#include "shell/ZRKGuiLoader.h"

#include <gui/IGuiManager.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKGuiLoader);

namespace kavri3D {
namespace zrk {

namespace {
template <class T> bool callFactory(HMODULE module, const char* name, T** out)
{
    if (!out)
        return false;
    *out = nullptr;
    if (!module) {
        writeLogf(kLogError, "ZRKGuiLoader", "no GUI plug-in loaded for ", name);
        return false;
    }
    typedef bool (*Factory)(T**);
    auto factory = reinterpret_cast<Factory>(GetProcAddress(module, name));
    if (!factory) {
        writeLogf(kLogError, "ZRKGuiLoader", "GUI plug-in lacks the export ", name);
        return false;
    }
    bool ok = factory(out);
    if (!ok || !*out) {
        writeLogf(kLogError, "ZRKGuiLoader", name, " gave no object");
        *out = nullptr;
        return false;
    }
    return true;
}
} // namespace

ZRKGuiLoader::ZRKGuiLoader()
{
    // The layers below the shell reach the plug-in's manager through this, while a loader lives.
    GameServices::hooks().guiManager = [] {
        ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
        gui::IGuiManager* manager = nullptr;
        return loader && !loader->isNull() && loader->createGuiManager(&manager) ? manager : nullptr;
    };
}

ZRKGuiLoader::~ZRKGuiLoader()
{
    unload();
    if (getSingletonPtr() == this)
        GameServices::hooks().guiManager = nullptr;
}

void ZRKGuiLoader::load() { loadFrom("ZRK_Gui.dll"); }

void ZRKGuiLoader::loadFrom(const char* library)
{
    if (mModule)
        return;
    mModule = LoadLibraryA(library);
    if (!mModule)
        writeLogf(kLogError, "ZRKGuiLoader", "cannot load the GUI plug-in ", library);
}

void ZRKGuiLoader::unload()
{
    if (mModule) {
        FreeLibrary(mModule);
        mModule = nullptr;
    }
}

bool ZRKGuiLoader::createGuiManager(gui::IGuiManager** out)
{
    return callFactory(mModule, "zrkGuiManagerCreator", out);
}

bool ZRKGuiLoader::createGuiRes(gui::IGuiRes** out) { return callFactory(mModule, "zrkGuiResCreator", out); }

bool ZRKGuiLoader::isComplete()
{
    if (!mModule)
        return false;
    for (const char* name : {"zrkGuiManagerCreator", "zrkGuiResCreator", "zrkRegistOverlayFactory"}) {
        if (!GetProcAddress(mModule, name)) {
            writeLogf(kLogError, "ZRKGuiLoader", "GUI plug-in lacks the export ", name);
            return false;
        }
    }
    gui::IGuiManager* manager = nullptr;
    gui::IGuiRes* res = nullptr;
    return createGuiManager(&manager) && createGuiRes(&res);
}

void ZRKGuiLoader::registOverlayFactory()
{
    if (!mModule)
        return;
    typedef void (*Fn)();
    auto fn = reinterpret_cast<Fn>(GetProcAddress(mModule, "zrkRegistOverlayFactory"));
    if (fn)
        fn();
    else
        writeLog(kLogError, "ZRKGuiLoader", "GUI plug-in lacks the export zrkRegistOverlayFactory");
}

} // namespace zrk
} // namespace kavri3D
