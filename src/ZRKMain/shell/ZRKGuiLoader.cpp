#include "shell/ZRKGuiLoader.h"

#include <gui/IGuiManager.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
ZRKGuiLoader* gLoader = nullptr;

template <class T>
bool callFactory(HMODULE module, const char* name, T** out)
{
    if (!out)
        return false;
    *out = nullptr;
    if (!module) {
        writeLogf(3, "ZRKGuiLoader", "no GUI plug-in loaded for ", name);
        return false;
    }
    typedef bool (*Factory)(T**);
    auto factory = reinterpret_cast<Factory>(GetProcAddress(module, name));
    if (!factory) {
        writeLogf(3, "ZRKGuiLoader", "GUI plug-in lacks the export ", name);
        return false;
    }
    bool ok = factory(out);
    if (!ok || !*out) {
        writeLogf(3, "ZRKGuiLoader", name, " gave no object");
        *out = nullptr;
        return false;
    }
    return true;
}
} // namespace

ZRKGuiLoader::ZRKGuiLoader()
{
    gLoader = this;
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
    if (gLoader == this) {
        gLoader = nullptr;
        GameServices::hooks().guiManager = nullptr;
    }
}

ZRKGuiLoader* ZRKGuiLoader::getSingletonPtr() { return gLoader; }

void ZRKGuiLoader::load() { loadFrom("ZRK_Gui.dll"); }

void ZRKGuiLoader::loadFrom(const char* library)
{
    if (mModule)
        return;
    mModule = LoadLibraryA(library);
    if (!mModule)
        writeLogf(3, "ZRKGuiLoader", "cannot load the GUI plug-in ", library);
}

void ZRKGuiLoader::unload()
{
    if (mModule) {
        FreeLibrary(mModule);
        mModule = nullptr;
    }
}

bool ZRKGuiLoader::createGuiManager(gui::IGuiManager** out) { return callFactory(mModule, "zrkGuiManagerCreator", out); }

bool ZRKGuiLoader::createGuiRes(gui::IGuiRes** out) { return callFactory(mModule, "zrkGuiResCreator", out); }

bool ZRKGuiLoader::isComplete()
{
    if (!mModule)
        return false;
    for (const char* name : {"zrkGuiManagerCreator", "zrkGuiResCreator", "zrkRegistOverlayFactory"}) {
        if (!GetProcAddress(mModule, name)) {
            writeLogf(3, "ZRKGuiLoader", "GUI plug-in lacks the export ", name);
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
        writeLog(3, "ZRKGuiLoader", "GUI plug-in lacks the export zrkRegistOverlayFactory");
}

} // namespace zrk
} // namespace kavri3D
