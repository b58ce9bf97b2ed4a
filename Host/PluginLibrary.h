// PluginLibrary: a plug-in's shared library, loaded by file name, with its two exports.
//
// Opening loads the library and looks up the entry function and the done function by their
// export names; a library that cannot be loaded or lacks either export throws EHostError with
// the loader's reason. The library is unloaded when the object goes. The operating system's
// loader lives in posix/ (a Win32 one can stand beside it). Host thread only.
#pragma once

#include "PluginAPI/PluginInterfaces.h"

#include <string>

namespace RefHost {

class TPluginLibrary {
public:
    // `path` is UTF-8.
    explicit TPluginLibrary(const std::string& path);
    ~TPluginLibrary();
    TPluginLibrary(const TPluginLibrary&) = delete;
    TPluginLibrary& operator=(const TPluginLibrary&) = delete;

    TPluginEntryFunction Entry() const { return FEntry; }
    TPluginDoneFunction Done() const { return FDone; }

private:
    void* FHandle = nullptr;
    TPluginEntryFunction FEntry = nullptr;
    TPluginDoneFunction FDone = nullptr;
};

} // namespace RefHost
