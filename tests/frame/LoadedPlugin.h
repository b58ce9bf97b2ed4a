// LoadedPlugin: Corvane.ext loaded by file name, as a host loads it, with its two exports found
// by name.
//
// The library is loaded once for the whole test program (CORVANE_EXT_PATH names it) and stays
// loaded. Get() never fails: a test checks FLibrary, FEntry and FDone itself (dlerror() tells
// why the library did not load).
#pragma once

#include "PluginAPI/PluginInterfaces.h"

#include <dlfcn.h>

struct TLoadedPlugin {
    void* FLibrary = nullptr;
    TPluginEntryFunction FEntry = nullptr;
    TPluginDoneFunction FDone = nullptr;

    static const TLoadedPlugin& Get() {
        static const TLoadedPlugin loaded = [] {
            TLoadedPlugin result;
            result.FLibrary = dlopen(CORVANE_EXT_PATH, RTLD_NOW | RTLD_LOCAL);
            if (result.FLibrary != nullptr) {
                result.FEntry = reinterpret_cast<TPluginEntryFunction>(
                    dlsym(result.FLibrary, PLUGIN_ENTRY_NAME));
                result.FDone =
                    reinterpret_cast<TPluginDoneFunction>(dlsym(result.FLibrary, PLUGIN_DONE_NAME));
            }
            return result;
        }();
        return loaded;
    }
};
