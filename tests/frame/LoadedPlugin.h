// LoadedPlugin: Corvane.ext loaded by file name, as a host loads it, with its two exports found
// by name.
//
// The library is loaded once for the whole test program (CORVANE_EXT_PATH names it; on Windows
// it is a file name in the test program's folder, loaded with LoadLibrary and GetProcAddress)
// and stays loaded. Get() never fails: a test checks FLibrary, FEntry and FDone itself, and
// FError tells why the library did not load.
#pragma once

#include "PluginAPI/PluginInterfaces.h"

#include <string>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

struct TLoadedPlugin {
    void* FLibrary = nullptr;
    TPluginEntryFunction FEntry = nullptr;
    TPluginDoneFunction FDone = nullptr;
    std::string FError;

    static const TLoadedPlugin& Get() {
        static const TLoadedPlugin loaded = Load();
        return loaded;
    }

private:
#if defined(_WIN32)
    static TLoadedPlugin Load() {
        std::wstring path(MAX_PATH, L'\0');
        path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
        path.resize(path.find_last_of(L'\\') + 1);
        const std::string name = CORVANE_EXT_PATH;
        path.append(name.begin(), name.end());
        TLoadedPlugin result;
        HMODULE library = LoadLibraryW(path.c_str());
        result.FLibrary = library;
        if (library == nullptr)
            result.FError = "LoadLibrary failed, error " + std::to_string(GetLastError());
        if (library != nullptr) {
            result.FEntry = reinterpret_cast<TPluginEntryFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, PLUGIN_ENTRY_NAME)));
            result.FDone = reinterpret_cast<TPluginDoneFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, PLUGIN_DONE_NAME)));
        }
        return result;
    }
#else
    static TLoadedPlugin Load() {
        TLoadedPlugin result;
        result.FLibrary = dlopen(CORVANE_EXT_PATH, RTLD_NOW | RTLD_LOCAL);
        if (result.FLibrary == nullptr)
            result.FError = dlerror();
        if (result.FLibrary != nullptr) {
            result.FEntry =
                reinterpret_cast<TPluginEntryFunction>(dlsym(result.FLibrary, PLUGIN_ENTRY_NAME));
            result.FDone =
                reinterpret_cast<TPluginDoneFunction>(dlsym(result.FLibrary, PLUGIN_DONE_NAME));
        }
        return result;
    }
#endif
};
