#include "Host/PluginLibrary.h"

#include "Host/HostError.h"

#include <dlfcn.h>

namespace RefHost {

namespace {

std::string LoaderError() {
    const char* reason = dlerror();
    return reason ? reason : "unknown reason";
}

template <class TFunction> TFunction Export(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr)
        return nullptr;
    TFunction function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    __builtin_memcpy(&function, &symbol, sizeof function);
    return function;
}

} // namespace

TPluginLibrary::TPluginLibrary(const std::string& path) {
    // A name without a folder would be searched on the library path; the host means a file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    FHandle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle == nullptr)
        throw EHostError(HostErrorClass,
                         "Cannot load the plug-in \"" + path + "\": " + LoaderError());
    FEntry = Export<TPluginEntryFunction>(FHandle, PLUGIN_ENTRY_NAME);
    FDone = Export<TPluginDoneFunction>(FHandle, PLUGIN_DONE_NAME);
    if (FEntry == nullptr || FDone == nullptr) {
        dlclose(FHandle);
        throw EHostError(HostErrorClass, "\"" + path + "\" is no plug-in: it does not export " +
                                             PLUGIN_ENTRY_NAME + " and " PLUGIN_DONE_NAME);
    }
}

TPluginLibrary::~TPluginLibrary() {
    dlclose(FHandle);
}

} // namespace RefHost
