// Every described operation of every boundary interface sits at its table slot: the test calls
// the raw table entry at the slot number, as the other side of the boundary does, on an object
// whose operations note their own names, and checks which operation ran.
#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/PluginInterfaces.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

template <class I> class TRecorder : public I {
public:
    // Appended after the interface's own slots, so it moves none of them.
    virtual ~TRecorder() = default;

    std::string FRan;

    HRESULT Note(const char* operation) {
        FRan = operation;
        return S_OK;
    }
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID, void**) override {
        return Note("QueryInterface");
    }
    LONG PLUGIN_STDCALL AddRef() override { return Note("AddRef"); }
    LONG PLUGIN_STDCALL Release() override { return Note("Release"); }
};

#define RECORDED(Name, ...)                                                                        \
    HRESULT PLUGIN_STDCALL Name(__VA_ARGS__) override {                                            \
        return Note(#Name);                                                                        \
    }
#define RECORDED_RESERVED(n)                                                                       \
    HRESULT PLUGIN_STDCALL ReservedSlot##n() override {                                            \
        return Note("ReservedSlot" #n);                                                            \
    }

struct RecICore : TRecorder<ICore> {
    RECORDED(GetVersion, LONG*)
};

struct RecIApplicationWindows : TRecorder<IApplicationWindows> {
    RECORDED(GetApplicationHandle, HWND*)
    RECORDED_RESERVED(4)
    RECORDED_RESERVED(5)
    RECORDED_RESERVED(6)
    RECORDED_RESERVED(7)
    RECORDED(BeginModal)
    RECORDED(EndModal)
    RECORDED_RESERVED(10)
    RECORDED_RESERVED(11)
};

struct RecIApplicationIcons : TRecorder<IApplicationIcons> {
    RECORDED(GetSmallIcon, HICON*)
    RECORDED(GetLargeIcon, HICON*)
};

struct RecIMenuItem : TRecorder<IMenuItem> {
    RECORDED_RESERVED(3)
    RECORDED_RESERVED(4)
    RECORDED(GetEnabled, LONG*)
    RECORDED_RESERVED(6)
    RECORDED_RESERVED(7)
    RECORDED(SetCaption, BSTR)
    RECORDED(SetShortCut, LONG)
    RECORDED(SetImageIndex, LONG)
    RECORDED(SetHint, BSTR)
    RECORDED(SetCategory, LONG)
    RECORDED(SetOnClick, INotifyEvent*)
};

struct RecIMenuManager : TRecorder<IMenuManager> {
    RECORDED(CreateMenuItem, IMenuItem**)
    RECORDED(RemoveMenuItem, IMenuItem**)
};

struct RecIHostKernel : TRecorder<IHostKernel> {
    RECORDED(WriteLog, BSTR)
    RECORDED(ShowMessage, BSTR, BSTR)
    RECORDED_RESERVED(5)
    RECORDED_RESERVED(6)
    RECORDED_RESERVED(7)
    RECORDED_RESERVED(8)
    RECORDED(ExecuteCommand, BSTR, BSTR)
    RECORDED(GetValue, BSTR, BSTR*)
};

struct RecIHostServer : TRecorder<IHostServer> {
    RECORDED_RESERVED(3)
    RECORDED(RecordExists, BSTR, BSTR, LONG*)
    RECORDED_RESERVED(5)
    RECORDED(CreateQuery, LONG*)
    RECORDED(OpenQuery, LONG, BSTR)
    RECORDED_RESERVED(8)
    RECORDED_RESERVED(9)
    RECORDED_RESERVED(10)
    RECORDED_RESERVED(11)
    RECORDED_RESERVED(12)
    RECORDED_RESERVED(13)
    RECORDED_RESERVED(14)
    RECORDED_RESERVED(15)
    RECORDED_RESERVED(16)
    RECORDED(GetIntegerField, LONG, BSTR, LONG*, LONG*)
    RECORDED_RESERVED(18)
    RECORDED(GetBooleanField, LONG, BSTR, LONG*, LONG*)
    RECORDED(GetDateTimeField, LONG, BSTR, std::uint16_t*, std::uint16_t*, std::uint16_t*,
             std::uint16_t*, std::uint16_t*, std::uint16_t*, LONG*)
    RECORDED_RESERVED(21)
    RECORDED(CloseQuery, LONG)
    RECORDED(FreeQuery, LONG)
    RECORDED(ExecuteSQL, BSTR, LONG*)
};

struct RecIDestroyNotify : TRecorder<IDestroyNotify> {
    RECORDED(Shutdown)
};

struct RecIPlugin : TRecorder<IPlugin> {
    RECORDED(GetID, GUID*)
    RECORDED(GetName, BSTR*)
    RECORDED(GetVersion, BSTR*)
    RECORDED(GetCategory, LONG*)
    RECORDED(GetCopyright, BSTR*)
    RECORDED(GetHomePage, BSTR*)
    RECORDED(GetEmail, BSTR*)
};

struct RecINotifyEvent : TRecorder<INotifyEvent> {
    RECORDED(Notify, IInterface*)
};

// Calls table entry `slot` of `object` with the argument types of `operation` (zero values),
// the way a caller across the boundary does: interface pointer first, then the arguments.
template <class I, class TDeclaring, class R, class... TArgs>
void CallSlot(I* object, std::size_t slot, R (PLUGIN_STDCALL TDeclaring::*)(TArgs...)) {
    using TRawEntry = R(PLUGIN_STDCALL*)(I*, TArgs...);
    void* const* table = *reinterpret_cast<void* const* const*>(object);
    TRawEntry entry;
    std::memcpy(&entry, &table[slot], sizeof entry);
    entry(object, std::remove_cvref_t<TArgs>{}...);
}

struct TSlotCase {
    const char* FInterface;
    std::size_t FSlot;
    const char* FOperation;
    std::function<std::string()> FRun;
};

// One row: call slot `n` of a recorder of `I` with the signature of `Op` and report what ran.
#define SLOT(I, n, Op)                                                                             \
    TSlotCase {                                                                                    \
#I, n, #Op, [] {                                                                           \
            Rec##I recorder;                                                                       \
            CallSlot(static_cast<I*>(&recorder), n, &I::Op);                                       \
            return recorder.FRan;                                                                  \
        }                                                                                          \
    }

// Every interface's first three slots are IInterface's.
#define IINTERFACE_SLOTS(I) SLOT(I, 0, QueryInterface), SLOT(I, 1, AddRef), SLOT(I, 2, Release)

TEST(SlotLayout, EveryDescribedOperationRunsFromItsSlot) {
    const std::vector<TSlotCase> cases = {
        IINTERFACE_SLOTS(ICore),
        SLOT(ICore, 3, GetVersion),
        IINTERFACE_SLOTS(IApplicationWindows),
        SLOT(IApplicationWindows, 3, GetApplicationHandle),
        SLOT(IApplicationWindows, 8, BeginModal),
        SLOT(IApplicationWindows, 9, EndModal),
        IINTERFACE_SLOTS(IApplicationIcons),
        SLOT(IApplicationIcons, 3, GetSmallIcon),
        SLOT(IApplicationIcons, 4, GetLargeIcon),
        IINTERFACE_SLOTS(IMenuManager),
        SLOT(IMenuManager, 3, CreateMenuItem),
        SLOT(IMenuManager, 4, RemoveMenuItem),
        IINTERFACE_SLOTS(IMenuItem),
        SLOT(IMenuItem, 5, GetEnabled),
        SLOT(IMenuItem, 8, SetCaption),
        SLOT(IMenuItem, 9, SetShortCut),
        SLOT(IMenuItem, 10, SetImageIndex),
        SLOT(IMenuItem, 11, SetHint),
        SLOT(IMenuItem, 12, SetCategory),
        SLOT(IMenuItem, 13, SetOnClick),
        IINTERFACE_SLOTS(IHostKernel),
        SLOT(IHostKernel, 3, WriteLog),
        SLOT(IHostKernel, 4, ShowMessage),
        SLOT(IHostKernel, 9, ExecuteCommand),
        SLOT(IHostKernel, 10, GetValue),
        IINTERFACE_SLOTS(IHostServer),
        SLOT(IHostServer, 4, RecordExists),
        SLOT(IHostServer, 6, CreateQuery),
        SLOT(IHostServer, 7, OpenQuery),
        SLOT(IHostServer, 17, GetIntegerField),
        SLOT(IHostServer, 19, GetBooleanField),
        SLOT(IHostServer, 20, GetDateTimeField),
        SLOT(IHostServer, 22, CloseQuery),
        SLOT(IHostServer, 23, FreeQuery),
        SLOT(IHostServer, 24, ExecuteSQL),
        IINTERFACE_SLOTS(IDestroyNotify),
        SLOT(IDestroyNotify, 3, Shutdown),
        IINTERFACE_SLOTS(IPlugin),
        SLOT(IPlugin, 3, GetID),
        SLOT(IPlugin, 4, GetName),
        SLOT(IPlugin, 5, GetVersion),
        SLOT(IPlugin, 6, GetCategory),
        SLOT(IPlugin, 7, GetCopyright),
        SLOT(IPlugin, 8, GetHomePage),
        SLOT(IPlugin, 9, GetEmail),
        IINTERFACE_SLOTS(INotifyEvent),
        SLOT(INotifyEvent, 3, Notify),
    };
    for (const TSlotCase& c : cases)
        EXPECT_EQ(c.FRun(), c.FOperation) << c.FInterface << " slot " << c.FSlot;
}

} // namespace
