#include "PluginAPI/Plugins/PluginSupport.h"

#include "PluginAPI/Plugins/Helpers.h"
#include "tests/support/FakeHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testing::_;
using testing::DoAll;
using testing::Return;
using testing::SetArgPointee;

namespace {

constexpr HRESULT kHostFailure = E_FAIL;

class PluginMenuItemTest : public testing::Test {
protected:
    void SetUp() override { TakeHostErrorInfo(); }
    void TearDown() override { EXPECT_THAT(FHost.UnbalancedReferences(), testing::IsEmpty()); }

    TPluginMenuItem* NewItem() { return new TPluginMenuItem(&FHost.FCore, 1); }

    TFakeHost FHost;
};

TEST_F(PluginMenuItemTest, HostSeesTheItemCreatedWithDefaultsInOrderAndRemovedOnFree) {
    {
        testing::InSequence order;
        EXPECT_CALL(FHost.FMenuManager, CreateMenuItem(_));
        EXPECT_CALL(FHost.FMenuItem, SetCaption(SysText(u"PluginMenuItem")));
        EXPECT_CALL(FHost.FMenuItem, SetHint(SysText(u"")));
        EXPECT_CALL(FHost.FMenuItem, SetCategory(7));
        EXPECT_CALL(FHost.FMenuItem, SetImageIndex(-1));
        EXPECT_CALL(FHost.FMenuItem, SetShortCut(0));
        EXPECT_CALL(FHost.FMenuItem, SetOnClick(testing::NotNull()));
        EXPECT_CALL(FHost.FMenuManager, RemoveMenuItem(testing::Pointee(&FHost.FMenuItem)));
    }
    TPluginMenuItem* item = new TPluginMenuItem(&FHost.FCore, 7);

    EXPECT_EQ(item->MenuItem(), &FHost.FMenuItem);
    EXPECT_EQ(FHost.FMenuItem.Listener(), static_cast<INotifyEvent*>(item));
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 1);
    item->Free();
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 0);
}

TEST_F(PluginMenuItemTest, CoreWithoutMenuManagerFailsTheAssertionBeforeAnyHostCall) {
    FHost.FCore.Withhold(IID_IMenuManager);
    EXPECT_CALL(FHost.FMenuManager, CreateMenuItem(_)).Times(0);
    EXPECT_CALL(FHost.FMenuManager, RemoveMenuItem(_)).Times(0);
    for (ICore* core : {static_cast<ICore*>(&FHost.FCore), static_cast<ICore*>(nullptr)}) {
        try {
            new TPluginMenuItem(core, 1);
            ADD_FAILURE() << "constructed without a menu manager";
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Message(),
                      u"Assertion failure (PluginAPI\\Plugins\\PluginSupport, line 52)");
        }
    }
}

// A failing host call during construction ends it with that call's failure, and the item
// that was asked for is removed again (RemoveMenuItem is asked even when none was created).
TEST_F(PluginMenuItemTest, FailingHostCallEndsConstructionAndRemovesTheItem) {
    struct TCase {
        const char* FStep;
        std::function<void(TFakeHost&)> FFail;
        bool FItemCreated;
    };
#define FAILING(Fake, Operation)                                                                   \
    [](TFakeHost& h) {                                                                             \
        ON_CALL(h.Fake, Operation).WillByDefault(Return(kHostFailure));                            \
    }
    const std::vector<TCase> cases = {
        {"CreateMenuItem", FAILING(FMenuManager, CreateMenuItem), false},
        {"SetCaption", FAILING(FMenuItem, SetCaption), true},
        {"SetHint", FAILING(FMenuItem, SetHint), true},
        {"SetCategory", FAILING(FMenuItem, SetCategory), true},
        {"SetImageIndex", FAILING(FMenuItem, SetImageIndex), true},
        {"SetShortCut", FAILING(FMenuItem, SetShortCut), true},
        {"SetOnClick", FAILING(FMenuItem, SetOnClick), true},
    };
#undef FAILING
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.FStep);
        TFakeHost host;
        c.FFail(host);
        std::vector<IMenuItem*> removed;
        EXPECT_CALL(host.FMenuManager, RemoveMenuItem(_)).WillOnce([&](IMenuItem** item) {
            removed.push_back(*item);
            if (*item != nullptr)
                std::exchange(*item, nullptr)->Release();
            return S_OK;
        });
        try {
            new TPluginMenuItem(&host.FCore, 1);
            ADD_FAILURE() << "constructed";
        } catch (const EOleException& e) {
            EXPECT_EQ(e.ErrorCode(), kHostFailure);
        }
        EXPECT_THAT(removed, testing::ElementsAre(c.FItemCreated ? &host.FMenuItem : nullptr));
        EXPECT_EQ(host.FMenuItem.Listener(), nullptr);
        EXPECT_THAT(host.UnbalancedReferences(), testing::IsEmpty());
    }
}

// Notify asks the host whether the item is enabled, calls the callback only for an enabled
// item, and answers 0 either way.
TEST_F(PluginMenuItemTest, NotifyCallsTheCallbackOnlyForAnEnabledItem) {
    struct TCase {
        LONG FEnabled;
        bool FCallbackSet;
        int FExpectedCalls;
    };
    const TCase cases[] = {{1, true, 1}, {-5, true, 1}, {0, true, 0}, {1, false, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "enabled " << c.FEnabled << ", callback " << c.FCallbackSet);
        TPluginMenuItem* item = NewItem();
        EXPECT_CALL(FHost.FMenuItem, GetEnabled(_))
            .WillOnce(DoAll(SetArgPointee<0>(c.FEnabled), Return(S_OK)));
        int calls = 0;
        if (c.FCallbackSet)
            item->SetOnClick([&](TPluginMenuItem& sender) {
                EXPECT_EQ(&sender, item);
                ++calls;
            });
        EXPECT_EQ(FHost.FMenuItem.Click(), S_OK);
        EXPECT_EQ(calls, c.FExpectedCalls);
        item->Free();
    }
}

TEST_F(PluginMenuItemTest, NotifyHoldsTheSenderForTheDurationOfTheCall) {
    TPluginMenuItem* item = NewItem();
    const LONG before = FHost.FMenuItem.RefCount();
    LONG during = 0;
    item->SetOnClick([&](TPluginMenuItem&) { during = FHost.FMenuItem.RefCount(); });
    EXPECT_EQ(FHost.FMenuItem.Click(), S_OK);
    EXPECT_EQ(during, before + 1);
    EXPECT_EQ(FHost.FMenuItem.RefCount(), before);
    EXPECT_EQ(item->Notify(nullptr), S_OK);
    item->Free();
}

// A failure inside Notify reaches the host as a status and error information naming the menu
// item, and goes no further.
TEST_F(PluginMenuItemTest, FailureInsideNotifyBecomesStatusAndErrorInformation) {
    TPluginMenuItem* item = NewItem();
    item->SetOnClick([](TPluginMenuItem&) { throw EConvertError(u"'x' is not a valid date"); });
    EXPECT_EQ(FHost.FMenuItem.Click(), static_cast<HRESULT>(0x800428DFu));
    THostErrorInfo info = TakeHostErrorInfo();
    ASSERT_TRUE(info.FPresent);
    EXPECT_EQ(info.FSource, u"pluginsystem.TPluginMenuItem");
    EXPECT_EQ(info.FDescription, u"'x' is not a valid date");
    EXPECT_EQ(info.FGuid, PluginSystemErrorGUID);

    int calls = 0;
    item->SetOnClick([&](TPluginMenuItem&) { ++calls; });
    EXPECT_CALL(FHost.FMenuItem, GetEnabled(_)).WillOnce(Return(kHostFailure));
    EXPECT_EQ(FHost.FMenuItem.Click(), kHostFailure);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(TakeHostErrorInfo().FSource, u"pluginsystem.TPluginMenuItem");
    item->Free();
}

TEST_F(PluginMenuItemTest, AnswersItsTwoInterfacesAndIsNotReferenceCounted) {
    TPluginMenuItem* item = NewItem();
    void* face = nullptr;
    EXPECT_EQ(item->QueryInterface(IID_INotifyEvent, &face), S_OK);
    EXPECT_EQ(face, static_cast<INotifyEvent*>(item));
    face = nullptr;
    EXPECT_EQ(item->QueryInterface(IID_IInterface, &face), S_OK);
    EXPECT_EQ(face, static_cast<INotifyEvent*>(item));
    EXPECT_EQ(item->QueryInterface(IID_IPlugin, &face), E_NOINTERFACE);
    EXPECT_EQ(face, nullptr);
    EXPECT_EQ(item->QueryInterface(IID_IMenuItem, &face), E_NOINTERFACE);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(item->AddRef(), -1);
        EXPECT_EQ(item->Release(), -1);
        EXPECT_EQ(item->Release(), -1);
    }
    EXPECT_EQ(FHost.FMenuItem.Click(), S_OK); // still alive
    item->Free();
}

// The host may refuse to take the item out of its menu: Free raises, and the object stays
// alive with the host's interfaces, since the host still calls it as the item's listener.
TEST_F(PluginMenuItemTest, RefusedRemovalRaisesAndKeepsTheObjectAlive) {
    TPluginMenuItem* item = NewItem();
    EXPECT_CALL(FHost.FMenuManager, RemoveMenuItem(_))
        .WillOnce(Return(kHostFailure))
        .WillRepeatedly(testing::DoDefault());
    EXPECT_THROW(item->Free(), EOleException);
    EXPECT_EQ(FHost.FMenuManager.RefCount(), 1);
    EXPECT_EQ(FHost.FMenuItem.Click(), S_OK);

    item->Free();
    EXPECT_EQ(FHost.FMenuManager.ItemsInMenu(), 0);
}

} // namespace
