// The plug-in as a host meets it: the library is loaded by file name and its two exports are
// found by name, then the plug-in object is driven through its interfaces with a fake host.
#include "Platform/SysString.h"
#include "PluginAPI/PluginInterfaces.h"
#include "tests/frame/LoadedPlugin.h"
#include "tests/support/FakeHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using testing::_;
using testing::DoAll;
using testing::IsEmpty;
using testing::Return;
using testing::SetArgPointee;

namespace {

constexpr HRESULT kHostFailure = E_FAIL;
constexpr std::u16string_view kName = u"Verify logbook with LotW user inbox";

class PluginTest : public testing::Test {
protected:
    void SetUp() override {
        const TLoadedPlugin& loaded = TLoadedPlugin::Get();
        ASSERT_NE(loaded.FLibrary, nullptr) << loaded.FError;
        ASSERT_NE(loaded.FEntry, nullptr);
        ASSERT_NE(loaded.FDone, nullptr);
        FEntry = loaded.FEntry;
        TakeHostErrorInfo();
    }

    // Calls the entry function with the fake host's core; the plug-in's IPlugin or null.
    IPlugin* Start(TFakeHost& host) {
        IPlugin* plugin = nullptr;
        const HRESULT status = FEntry(&host.FCore, &plugin);
        EXPECT_EQ(status, plugin != nullptr ? S_OK : E_UNEXPECTED);
        return plugin;
    }

    template <class I> static I* Query(IInterface* object, const IID& iid) {
        void* face = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, &face), S_OK);
        return static_cast<I*>(face);
    }

    TPluginEntryFunction FEntry = nullptr;
    TFakeHost FHost;
};

TEST_F(PluginTest, HostLoadsTheLibraryAndStartsAndEndsAPlugin) {
    EXPECT_EQ(TLoadedPlugin::Get().FDone(), S_OK);
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 1);
    EXPECT_EQ(FHost.FCore.RefCount(), 1);
    EXPECT_EQ(TLoadedPlugin::Get().FDone(), S_OK);
    // The entry's reference is the object's only one.
    EXPECT_EQ(plugin->Release(), 0);
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 0);
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
}

TEST_F(PluginTest, StartUpCallsTheHostInOrder) {
    {
        testing::InSequence order;
        EXPECT_CALL(FHost.FCore, GetVersion(_));
        EXPECT_CALL(FHost.FWindows, GetApplicationHandle(_));
        EXPECT_CALL(FHost.FMenuManager, CreateMenuItem(_));
        EXPECT_CALL(FHost.FMenuItem, SetCaption(SysText(u"PluginMenuItem")));
        EXPECT_CALL(FHost.FMenuItem, SetHint(SysText(u"")));
        EXPECT_CALL(FHost.FMenuItem, SetCategory(1));
        EXPECT_CALL(FHost.FMenuItem, SetImageIndex(-1));
        EXPECT_CALL(FHost.FMenuItem, SetShortCut(0));
        EXPECT_CALL(FHost.FMenuItem, SetOnClick(testing::NotNull()));
        EXPECT_CALL(FHost.FMenuItem, SetCaption(SysText(kName.data())));
        EXPECT_CALL(FHost.FMenuItem,
                    SetHint(SysText(u"Verify your current logbook with ARRL LotW inbox data "
                                    u"(uploaded QSO)")));
    }
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    EXPECT_THAT(FHost.FCore.Queries(),
                testing::ElementsAre(IID_IHostKernel, IID_IHostServer, IID_IApplicationWindows,
                                     IID_IMenuManager));
    plugin->Release();
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
}

TEST_F(PluginTest, HostWithoutKernelStillGetsAPlugin) {
    FHost.FCore.Withhold(IID_IHostKernel);
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    plugin->Release();
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
}

// Every failed start-up gives E_UNEXPECTED and a null result, sets no error information and
// leaves the host as it was: no reference held and no menu item left in its menu.
TEST_F(PluginTest, FailedStartUpLeavesNothingBehind) {
    struct TCase {
        const char* FCause;
        std::function<void(TFakeHost&)> FArrange;
    };
    const std::vector<TCase> cases = {
        {"core version 104018",
         [](TFakeHost& h) {
             ON_CALL(h.FCore, GetVersion)
                 .WillByDefault(DoAll(SetArgPointee<0>(104018), Return(S_OK)));
         }},
        {"negative core version",
         [](TFakeHost& h) {
             ON_CALL(h.FCore, GetVersion).WillByDefault(DoAll(SetArgPointee<0>(-1), Return(S_OK)));
         }},
        {"GetVersion fails",
         [](TFakeHost& h) {
             ON_CALL(h.FCore, GetVersion).WillByDefault(Return(kHostFailure));
         }},
        {"no IHostServer",
         [](TFakeHost& h) {
             h.FCore.Withhold(IID_IHostServer);
         }},
        {"no IApplicationWindows",
         [](TFakeHost& h) {
             h.FCore.Withhold(IID_IApplicationWindows);
         }},
        {"no IMenuManager",
         [](TFakeHost& h) {
             h.FCore.Withhold(IID_IMenuManager);
         }},
        {"GetApplicationHandle fails",
         [](TFakeHost& h) {
             ON_CALL(h.FWindows, GetApplicationHandle).WillByDefault(Return(kHostFailure));
         }},
        {"CreateMenuItem fails",
         [](TFakeHost& h) {
             ON_CALL(h.FMenuManager, CreateMenuItem).WillByDefault(Return(kHostFailure));
         }},
        {"the command's caption is refused",
         [](TFakeHost& h) {
             ON_CALL(h.FMenuItem, SetCaption(SysText(kName.data())))
                 .WillByDefault(Return(kHostFailure));
         }},
        {"the command's hint is refused",
         [](TFakeHost& h) {
             ON_CALL(h.FMenuItem, SetHint(testing::Not(SysText(u""))))
                 .WillByDefault(Return(kHostFailure));
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.FCause);
        TFakeHost host;
        c.FArrange(host);
        IPlugin* plugin = reinterpret_cast<IPlugin*>(&host); // any non-null value
        EXPECT_EQ(FEntry(&host.FCore, &plugin), E_UNEXPECTED);
        EXPECT_EQ(plugin, nullptr);
        EXPECT_THAT(host.UnbalancedReferences(), IsEmpty());
        EXPECT_EQ(host.FMenuManager.ItemsInMenu(), 0);
        EXPECT_EQ(host.FMenuItem.Listener(), nullptr);
        EXPECT_FALSE(TakeHostErrorInfo().FPresent);
    }
}

TEST_F(PluginTest, EntryRefusesNullCoreAndNullResultVariable) {
    IPlugin* plugin = nullptr;
    EXPECT_EQ(FEntry(nullptr, &plugin), E_UNEXPECTED);
    EXPECT_EQ(plugin, nullptr);
    EXPECT_EQ(FEntry(&FHost.FCore, nullptr), E_UNEXPECTED);
    EXPECT_THAT(FHost.FCore.Queries(), IsEmpty());
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 0);
}

TEST_F(PluginTest, FacesOfThePluginObject) {
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    auto* unknown = Query<IInterface>(plugin, IID_IInterface);
    auto* destroyNotify = Query<IDestroyNotify>(plugin, IID_IDestroyNotify);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(destroyNotify));
    EXPECT_NE(static_cast<void*>(unknown), static_cast<void*>(plugin));
    EXPECT_EQ(Query<IPlugin>(unknown, IID_IPlugin), plugin);
    EXPECT_EQ(Query<IPlugin>(destroyNotify, IID_IPlugin), plugin);
    void* other = &FHost;
    EXPECT_EQ(plugin->QueryInterface(IID_INotifyEvent, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    EXPECT_EQ(plugin->Release(), 4);
    EXPECT_EQ(plugin->Release(), 3);
    EXPECT_EQ(unknown->Release(), 2);
    EXPECT_EQ(destroyNotify->Release(), 1);
    EXPECT_EQ(plugin->Release(), 0);
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
}

// The identity is constant and needs no host: it is read before and after Shutdown, and every
// text comes as a new string.
TEST_F(PluginTest, IdentityIsAnsweredBeforeAndAfterShutdown) {
    using TTextOperation = HRESULT (PLUGIN_STDCALL IPlugin::*)(BSTR*);
    struct TCase {
        const char* FOperation;
        TTextOperation FCall;
        std::u16string_view FText;
    };
    const TCase cases[] = {
        {"GetName", &IPlugin::GetName, kName},
        {"GetVersion", &IPlugin::GetVersion, u"1.04.019 (1905)"},
        {"GetCopyright", &IPlugin::GetCopyright, u"Copyright (c) 2026 The Corvane developers"},
        {"GetHomePage", &IPlugin::GetHomePage, u"https://corvane.example.org/"},
        {"GetEmail", &IPlugin::GetEmail, u"corvane@example.org"},
    };
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    auto* destroyNotify = Query<IDestroyNotify>(plugin, IID_IDestroyNotify);
    for (bool shutDown : {false, true}) {
        if (shutDown) {
            EXPECT_EQ(destroyNotify->Shutdown(), S_OK);
        }
        for (const TCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.FOperation << (shutDown ? " after Shutdown" : ""));
            TSysString first;
            TSysString second;
            EXPECT_EQ((plugin->*c.FCall)(first.Out()), S_OK);
            EXPECT_EQ((plugin->*c.FCall)(second.Out()), S_OK);
            EXPECT_EQ(first.Text(), c.FText);
            EXPECT_EQ(second.Text(), c.FText);
            EXPECT_NE(first.Get(), second.Get());
        }
        GUID id{};
        EXPECT_EQ(plugin->GetID(&id), S_OK);
        EXPECT_EQ(
            id,
            (GUID{0x4D2CDD32, 0x0CF0, 0x4680, {0xA2, 0x32, 0xB5, 0x58, 0x6B, 0x51, 0xCC, 0xB2}}));
        LONG category = 0;
        EXPECT_EQ(plugin->GetCategory(&category), S_OK);
        EXPECT_EQ(category, 1);
    }
    destroyNotify->Release();
    plugin->Release();
}

TEST_F(PluginTest, RepeatedShutdownAndFinalReleaseGiveEverythingBackOnce) {
    EXPECT_CALL(FHost.FMenuManager, RemoveMenuItem(_)).Times(1);
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    auto* destroyNotify = Query<IDestroyNotify>(plugin, IID_IDestroyNotify);
    EXPECT_EQ(destroyNotify->Shutdown(), S_OK);
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
    EXPECT_EQ(FHost.FMenuItem.Listener(), nullptr);
    EXPECT_EQ(destroyNotify->Shutdown(), S_OK);
    destroyNotify->Release();
    EXPECT_EQ(plugin->Release(), 0);
    EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
}

// A host that refuses to remove the menu item stops Shutdown after that step; the failure is
// reported, the host interfaces stay held, and the next Shutdown releases them.
TEST_F(PluginTest, RefusedMenuRemovalStopsShutdownAfterTheMenuItem) {
    EXPECT_CALL(FHost.FMenuManager, RemoveMenuItem(_)).WillOnce(Return(kHostFailure));
    IPlugin* plugin = Start(FHost);
    ASSERT_NE(plugin, nullptr);
    auto* destroyNotify = Query<IDestroyNotify>(plugin, IID_IDestroyNotify);

    EXPECT_EQ(destroyNotify->Shutdown(), kHostFailure);
    EXPECT_EQ(TakeHostErrorInfo().FSource, u"pluginsystem.TPlugin");
    EXPECT_EQ(FHost.FCore.RefCount(), 1);
    EXPECT_EQ(FHost.FServer.RefCount(), 1);
    // The host keeps its item and its listener, which stays callable.
    INotifyEvent* keptListener = FHost.FMenuItem.Listener();
    ASSERT_NE(keptListener, nullptr);
    EXPECT_EQ(FHost.FMenuItem.Click(), S_OK);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_ignore_object(keptListener); // alive on purpose: the host still holds it
#endif

    EXPECT_EQ(destroyNotify->Shutdown(), S_OK);
    destroyNotify->Release();
    EXPECT_EQ(plugin->Release(), 0);
    // The kept item no longer reaches the plug-in object, which is gone.
    EXPECT_EQ(FHost.FMenuItem.Click(), S_OK);
    // Only what the kept item holds is left: its menu manager and its host item.
    EXPECT_THAT(
        FHost.UnbalancedReferences(),
        testing::ElementsAre(testing::Pair("IMenuItem", 1), testing::Pair("IMenuManager", 1)));
}

} // namespace
