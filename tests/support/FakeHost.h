// FakeHost: a recording stand-in for the host application's interfaces, for tests.
//
// TFakeHost holds one GoogleMock fake for each host interface. The fakes count their references
// (AddRef and Release only count; the fakes belong to the test and are never destroyed by them),
// so a test can check that everything taken was given back. QueryInterface on the core hands out
// the fakes the host offers: all of them, unless a test withholds one. Defaults, each of which a
// test may override with ON_CALL/EXPECT_CALL:
// - ICore.GetVersion gives 104019;
// - IApplicationWindows.GetApplicationHandle gives FApplicationHandle (null unless set);
// - IMenuManager.CreateMenuItem hands out FMenuItem, RemoveMenuItem releases and clears the
//   caller's variable and drops the item's click listener;
// - IMenuItem.SetOnClick keeps the listener (Click() then notifies it as the host does),
//   GetEnabled gives 1; a listener still kept when the fake goes is not called again;
// - IHostKernel.GetValue answers from FValues (unknown names give the empty text);
// - every other operation answers S_OK and leaves its out-parameters alone.
// Single-threaded, like the host's user-interface thread.
#pragma once

#include "Platform/SysString.h"
#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/PluginInterfaces.h"

#include "Platform/ErrorInfo.h"

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// Matches a system-string argument holding `text` (a null string is the empty text).
MATCHER_P(SysText, text, "") {
    return SysStringView(arg) == std::u16string_view(text);
}

// The error information a failed plug-in operation left for the host, taken away as the host
// takes it. FPresent is false when there was none.
struct THostErrorInfo {
    bool FPresent = false;
    GUID FGuid{};
    std::u16string FSource;
    std::u16string FDescription;
    DWORD FHelpContext = 0;
};

inline THostErrorInfo TakeHostErrorInfo() {
    THostErrorInfo result;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr)
        return result;
    result.FPresent = true;
    TSysString source;
    TSysString description;
    info->GetGUID(&result.FGuid);
    info->GetSource(source.Out());
    info->GetDescription(description.Out());
    info->GetHelpContext(&result.FHelpContext);
    info->Release();
    result.FSource = source.Text();
    result.FDescription = description.Text();
    return result;
}

// A slot this system does not describe: fakes answer E_NOTIMPL.
#define FAKE_RESERVED_SLOT(n)                                                                      \
    HRESULT PLUGIN_STDCALL ReservedSlot##n() override {                                            \
        return E_NOTIMPL;                                                                          \
    }

// Counted references and the interface query for one fake host interface.
template <class I> class TFakeInterface : public I {
public:
    explicit TFakeInterface(const IID& iid) : FIid(iid) {}
    TFakeInterface(const TFakeInterface&) = delete;
    TFakeInterface& operator=(const TFakeInterface&) = delete;
    virtual ~TFakeInterface() = default;

    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IInterface || iid == FIid) {
            AddRef();
            *object = static_cast<I*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    LONG PLUGIN_STDCALL AddRef() override { return ++FRefCount; }
    LONG PLUGIN_STDCALL Release() override { return --FRefCount; }

    // References handed out and not yet given back (negative: given back too often).
    LONG RefCount() const { return FRefCount; }

private:
    IID FIid;
    LONG FRefCount = 0;
};

class TFakeCore : public TFakeInterface<ICore> {
public:
    TFakeCore() : TFakeInterface(IID_ICore) {
        ON_CALL(*this, GetVersion)
            .WillByDefault(
                testing::DoAll(testing::SetArgPointee<0>(104019), testing::Return(S_OK)));
    }
    MOCK_METHOD(HRESULT, GetVersion, (LONG * version), (override, Calltype(PLUGIN_STDCALL)));

    // Answers ICore and IInterface itself, then the interfaces on offer.
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        FQueries.push_back(iid);
        for (auto& [offeredIid, offered] : FOffers)
            if (offeredIid == iid)
                return offered->QueryInterface(iid, object);
        return TFakeInterface::QueryInterface(iid, object);
    }
    void Offer(const IID& iid, IInterface* object) { FOffers.emplace_back(iid, object); }
    void Withhold(const IID& iid) {
        std::erase_if(FOffers, [&](const auto& offer) { return offer.first == iid; });
    }
    // Every interface id asked for, in order.
    const std::vector<IID>& Queries() const { return FQueries; }

private:
    std::vector<std::pair<IID, IInterface*>> FOffers;
    std::vector<IID> FQueries;
};

class TFakeApplicationWindows : public TFakeInterface<IApplicationWindows> {
public:
    TFakeApplicationWindows() : TFakeInterface(IID_IApplicationWindows) {
        ON_CALL(*this, GetApplicationHandle).WillByDefault([this](HWND* handle) {
            *handle = FApplicationHandle;
            return S_OK;
        });
    }
    MOCK_METHOD(HRESULT, GetApplicationHandle, (HWND * handle),
                (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(4)
    FAKE_RESERVED_SLOT(5)
    FAKE_RESERVED_SLOT(6)
    FAKE_RESERVED_SLOT(7)
    MOCK_METHOD(HRESULT, BeginModal, (), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, EndModal, (), (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(10)
    FAKE_RESERVED_SLOT(11)

    HWND FApplicationHandle = nullptr;
};

class TFakeApplicationIcons : public TFakeInterface<IApplicationIcons> {
public:
    TFakeApplicationIcons() : TFakeInterface(IID_IApplicationIcons) {}
    MOCK_METHOD(HRESULT, GetSmallIcon, (HICON * icon), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, GetLargeIcon, (HICON * icon), (override, Calltype(PLUGIN_STDCALL)));
};

class TFakeMenuItem : public TFakeInterface<IMenuItem> {
public:
    TFakeMenuItem() : TFakeInterface(IID_IMenuItem) {
        ON_CALL(*this, GetEnabled)
            .WillByDefault(testing::DoAll(testing::SetArgPointee<0>(1), testing::Return(S_OK)));
        ON_CALL(*this, SetOnClick).WillByDefault([this](INotifyEvent* listener) {
            SetListener(listener);
            return S_OK;
        });
    }
    FAKE_RESERVED_SLOT(3)
    FAKE_RESERVED_SLOT(4)
    MOCK_METHOD(HRESULT, GetEnabled, (LONG * enabled), (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(6)
    FAKE_RESERVED_SLOT(7)
    MOCK_METHOD(HRESULT, SetCaption, (BSTR caption), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, SetShortCut, (LONG shortCut), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, SetImageIndex, (LONG index), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, SetHint, (BSTR hint), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, SetCategory, (LONG category), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, SetOnClick, (INotifyEvent * listener),
                (override, Calltype(PLUGIN_STDCALL)));

    // What the host does when the user picks the item: notify the listener, the item as sender.
    HRESULT Click() { return FListener != nullptr ? FListener->Notify(this) : S_OK; }
    INotifyEvent* Listener() const { return FListener; }
    void SetListener(INotifyEvent* listener) {
        if (listener != nullptr)
            listener->AddRef();
        if (FListener != nullptr)
            FListener->Release();
        FListener = listener;
    }

private:
    INotifyEvent* FListener = nullptr;
};

class TFakeMenuManager : public TFakeInterface<IMenuManager> {
public:
    explicit TFakeMenuManager(TFakeMenuItem& item) : TFakeInterface(IID_IMenuManager) {
        ON_CALL(*this, CreateMenuItem).WillByDefault([this, &item](IMenuItem** created) {
            item.AddRef();
            *created = &item;
            ++FItemsInMenu;
            return S_OK;
        });
        ON_CALL(*this, RemoveMenuItem).WillByDefault([this, &item](IMenuItem** removed) {
            item.SetListener(nullptr);
            if (*removed != nullptr) {
                std::exchange(*removed, nullptr)->Release();
                --FItemsInMenu;
            }
            return S_OK;
        });
    }
    MOCK_METHOD(HRESULT, CreateMenuItem, (IMenuItem * *item), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, RemoveMenuItem, (IMenuItem * *item), (override, Calltype(PLUGIN_STDCALL)));

    // Items created and not removed again, as far as the default actions saw them.
    int ItemsInMenu() const { return FItemsInMenu; }

private:
    int FItemsInMenu = 0;
};

class TFakeHostKernel : public TFakeInterface<IHostKernel> {
public:
    TFakeHostKernel() : TFakeInterface(IID_IHostKernel) {
        ON_CALL(*this, GetValue).WillByDefault([this](BSTR name, BSTR* value) {
            const auto found = FValues.find(std::u16string(SysStringView(name)));
            *value = found == FValues.end() ? nullptr : SysStringFrom(found->second);
            return S_OK;
        });
    }
    MOCK_METHOD(HRESULT, WriteLog, (BSTR line), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, ShowMessage, (BSTR text, BSTR caption),
                (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(5)
    FAKE_RESERVED_SLOT(6)
    FAKE_RESERVED_SLOT(7)
    FAKE_RESERVED_SLOT(8)
    MOCK_METHOD(HRESULT, ExecuteCommand, (BSTR command, BSTR parameter),
                (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, GetValue, (BSTR name, BSTR* value), (override, Calltype(PLUGIN_STDCALL)));

    // The host values by name ("APPINI", "LOG.OPERATOR", ...).
    std::map<std::u16string, std::u16string> FValues;
};

class TFakeHostServer : public TFakeInterface<IHostServer> {
public:
    TFakeHostServer() : TFakeInterface(IID_IHostServer) {}
    FAKE_RESERVED_SLOT(3)
    MOCK_METHOD(HRESULT, RecordExists, (BSTR table, BSTR condition, LONG* exists),
                (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(5)
    MOCK_METHOD(HRESULT, CreateQuery, (LONG * handle), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, OpenQuery, (LONG handle, BSTR sql), (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(8)
    FAKE_RESERVED_SLOT(9)
    FAKE_RESERVED_SLOT(10)
    FAKE_RESERVED_SLOT(11)
    FAKE_RESERVED_SLOT(12)
    FAKE_RESERVED_SLOT(13)
    FAKE_RESERVED_SLOT(14)
    FAKE_RESERVED_SLOT(15)
    FAKE_RESERVED_SLOT(16)
    MOCK_METHOD(HRESULT, GetIntegerField, (LONG handle, BSTR column, LONG* value, LONG* present),
                (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(18)
    MOCK_METHOD(HRESULT, GetBooleanField, (LONG handle, BSTR column, LONG* value, LONG* present),
                (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, GetDateTimeField,
                (LONG handle, BSTR column, std::uint16_t* year, std::uint16_t* month,
                 std::uint16_t* day, std::uint16_t* hour, std::uint16_t* minute,
                 std::uint16_t* second, LONG* present),
                (override, Calltype(PLUGIN_STDCALL)));
    FAKE_RESERVED_SLOT(21)
    MOCK_METHOD(HRESULT, CloseQuery, (LONG handle), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, FreeQuery, (LONG handle), (override, Calltype(PLUGIN_STDCALL)));
    MOCK_METHOD(HRESULT, ExecuteSQL, (BSTR statement, LONG* executed),
                (override, Calltype(PLUGIN_STDCALL)));
};

// The whole host: every interface on offer through FCore.
class TFakeHost {
public:
    TFakeHost() {
        FCore.Offer(IID_IApplicationWindows, &FWindows);
        FCore.Offer(IID_IApplicationIcons, &FIcons);
        FCore.Offer(IID_IMenuManager, &FMenuManager);
        FCore.Offer(IID_IHostKernel, &FKernel);
        FCore.Offer(IID_IHostServer, &FServer);
    }

    // The fakes that still hold references handed out, by interface name; empty when all
    // references were given back exactly.
    std::map<std::string, LONG> UnbalancedReferences() const {
        std::map<std::string, LONG> unbalanced;
        const std::pair<const char*, LONG> counts[] = {{"ICore", FCore.RefCount()},
                                                       {"IApplicationWindows", FWindows.RefCount()},
                                                       {"IApplicationIcons", FIcons.RefCount()},
                                                       {"IMenuManager", FMenuManager.RefCount()},
                                                       {"IMenuItem", FMenuItem.RefCount()},
                                                       {"IHostKernel", FKernel.RefCount()},
                                                       {"IHostServer", FServer.RefCount()}};
        for (const auto& [name, count] : counts)
            if (count != 0)
                unbalanced[name] = count;
        return unbalanced;
    }

    testing::NiceMock<TFakeCore> FCore;
    testing::NiceMock<TFakeApplicationWindows> FWindows;
    testing::NiceMock<TFakeApplicationIcons> FIcons;
    testing::NiceMock<TFakeMenuItem> FMenuItem;
    testing::NiceMock<TFakeMenuManager> FMenuManager{FMenuItem};
    testing::NiceMock<TFakeHostKernel> FKernel;
    testing::NiceMock<TFakeHostServer> FServer;
};
