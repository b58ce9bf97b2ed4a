#include "PluginAPI/Plugins/CheckedObject.h"

#include "Platform/ErrorInfo.h"
#include "Platform/SysString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <string>

namespace {

// Two interfaces of the probe object.
struct IProbe : IInterface {
    virtual HRESULT PLUGIN_STDCALL Poke() = 0;

protected:
    ~IProbe() = default;
};
struct IProbeMore : IInterface {
    virtual HRESULT PLUGIN_STDCALL PokeMore() = 0;

protected:
    ~IProbeMore() = default;
};
constexpr IID IID_IProbe = {0x1F00D001, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID IID_IProbeMore = {0x1F00D002, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID IID_Unknown = {0x1F00D003, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

// What a probe saw; it outlives the probe.
struct TProbeLog {
    int Destroyed = 0;
    std::optional<std::u16string> MisuseMessage; // caught inside the destructor body
    HRESULT MisuseCode = 0;
    LONG CountSeenByAddRef = 0;
    LONG CountAfterReleaseInDestructor = 0;
};

// What the probe does inside its constructor and destructor.
enum class TProbeMode {
    Plain,
    ReferenceInConstructor, // takes and drops a reference while constructing
    FailInConstructor,      // takes and drops a reference, then fails
    AddRefInDestructor,     // uses itself while being destroyed
    FreeInDestructor,       // destroys itself again while being destroyed
};

class TProbe : public TCheckedInterfaces<TImplements<IProbe, IID_IProbe>,
                                         TImplements<IProbeMore, IID_IProbeMore>> {
public:
    TProbe(TProbeLog& log, TProbeMode mode) : FLog(log), FMode(mode) {
        if (mode == TProbeMode::ReferenceInConstructor || mode == TProbeMode::FailInConstructor) {
            AddRef();
            Release();
        }
        if (mode == TProbeMode::FailInConstructor)
            throw EConvertError(u"constructor failed");
    }
    const char* ClassName() const override { return "TProbe"; }

    HRESULT PLUGIN_STDCALL Poke() override {
        return SafeCall(*this, [] { throw EConvertError(u"Bad date", 5); });
    }
    HRESULT PLUGIN_STDCALL PokeMore() override { return S_OK; }

protected:
    ~TProbe() override {
        ++FLog.Destroyed;
        try {
            if (FMode == TProbeMode::AddRefInDestructor) {
                FLog.CountSeenByAddRef = AddRef(); // as the host would: no exception leaves it
                CheckedAddRef();
            } else if (FMode == TProbeMode::FreeInDestructor) {
                Free();
            }
        } catch (const ECheckedInterfacedObjectError& e) {
            FLog.MisuseMessage = e.Message();
            FLog.MisuseCode = e.ErrorCode();
        }
        if (FMode == TProbeMode::AddRefInDestructor)
            FLog.CountAfterReleaseInDestructor = Release();
    }

private:
    TProbeLog& FLog;
    TProbeMode FMode;
};

std::string Tag(const TCheckedInterfacedObject& object, const char* name) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "[$%.8jX] %s",
                  static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(&object)), name);
    return buffer;
}

std::u16string Wide(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

class CheckedObjectTest : public ::testing::Test {
protected:
    void TearDown() override { SetErrorInfo(0, nullptr); }
    TProbeLog FLog;
};

TEST_F(CheckedObjectTest, CountIsOneWhileConstructingAndZeroAfterwards) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::ReferenceInConstructor);
    EXPECT_EQ(FLog.Destroyed, 0);
    EXPECT_EQ(probe->RefCount(), 0);

    void* probeInterface = nullptr;
    ASSERT_EQ(probe->QueryInterface(IID_IProbe, &probeInterface), S_OK);
    EXPECT_EQ(probe->RefCount(), 1);
    EXPECT_EQ(static_cast<IProbe*>(probeInterface)->Release(), 0);
    EXPECT_EQ(FLog.Destroyed, 1);
}

TEST_F(CheckedObjectTest, FailingConstructionFreesTheObjectWithoutMisuseChecks) {
    // The leak check of the test run sees storage that is not given back.
    EXPECT_THROW(CreateCheckedObject<TProbe>(FLog, TProbeMode::FailInConstructor), EConvertError);
    EXPECT_EQ(FLog.Destroyed, 0); // the destructor body of an unfinished object does not run
}

TEST_F(CheckedObjectTest, AnswersItsInterfaces) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::Plain);
    void* root = nullptr;
    void* first = nullptr;
    void* second = nullptr;
    void* missing = &root;
    EXPECT_EQ(probe->QueryInterface(IID_IInterface, &root), S_OK);
    EXPECT_EQ(probe->QueryInterface(IID_IProbe, &first), S_OK);
    EXPECT_EQ(probe->QueryInterface(IID_IProbeMore, &second), S_OK);
    EXPECT_EQ(probe->QueryInterface(IID_Unknown, &missing), E_NOINTERFACE);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(probe->QueryInterface(IID_IInterface, nullptr), E_POINTER);
    EXPECT_EQ(root, static_cast<IInterface*>(static_cast<IProbe*>(probe)));
    EXPECT_EQ(first, static_cast<IProbe*>(probe));
    EXPECT_EQ(second, static_cast<IProbeMore*>(probe));
    EXPECT_EQ(probe->RefCount(), 3);
    static_cast<IInterface*>(root)->Release();
    static_cast<IProbe*>(first)->Release();
    static_cast<IProbeMore*>(second)->Release();
    EXPECT_EQ(FLog.Destroyed, 1);
}

TEST_F(CheckedObjectTest, FailingOperationReportsStatusAndErrorInformation) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::Plain);
    probe->AddRef();
    EXPECT_EQ(probe->Poke(), static_cast<HRESULT>(0x800428DFu));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    TSysString source, description;
    DWORD helpContext = 0;
    GUID guid{};
    info->GetSource(source.Out());
    info->GetDescription(description.Out());
    info->GetHelpContext(&helpContext);
    info->GetGUID(&guid);
    info->Release();
    EXPECT_EQ(source.Text(), u"pluginsystem.TProbe");
    EXPECT_EQ(description.Text(), u"Bad date");
    EXPECT_EQ(helpContext, 5u);
    EXPECT_TRUE(guid == PluginSystemErrorGUID);
    probe->Release();
}

TEST_F(CheckedObjectTest, DebugTagNamesAddressAndClass) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::Plain);
    const TCheckedInterfacedObject& object = *probe;
    EXPECT_TRUE(std::regex_match(object.DebugTag(), std::regex(R"(\[\$[0-9A-F]{8,}\] TProbe)")));
    // The address is the whole object's, whichever base the tag is read through.
    EXPECT_EQ(object.DebugTag(), Tag(*probe, "TProbe"));
    probe->Free();
}

class TLongNamedProbe : public TProbe {
public:
    using TProbe::TProbe;
    const char* ClassName() const override {
        return "TProbeWithAVeryLongClassNameThatGoesOnAndOnAndOnUntilTheDebugTagHasToBeCut"
               "AtNinetyNineCharacters";
    }
};

TEST_F(CheckedObjectTest, DebugTagIsCutAt99Characters) {
    TLongNamedProbe* probe = CreateCheckedObject<TLongNamedProbe>(FLog, TProbeMode::Plain);
    const std::string full = Tag(*probe, probe->ClassName());
    ASSERT_GT(full.size(), 99u);
    EXPECT_EQ(probe->DebugTag(), full.substr(0, 99));
    probe->Free();
}

TEST_F(CheckedObjectTest, DestroyingAHeldObjectFailsAndLeavesItAlive) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::Plain);
    probe->AddRef();
    probe->AddRef();
    try {
        probe->Free();
        FAIL() << "no exception";
    } catch (const ECheckedInterfacedObjectDeleteError& e) {
        EXPECT_EQ(e.Message(), u"Object deletion attempt " + Wide(Tag(*probe, "TProbe")) +
                                   u" with active interface link; counter: 2");
        EXPECT_EQ(e.ErrorCode(), static_cast<HRESULT>(0x80045A95u));
        EXPECT_EQ(e.HelpContext(), 0);
    }
    EXPECT_EQ(FLog.Destroyed, 0);
    EXPECT_EQ(probe->RefCount(), 2);
    probe->Release();
    probe->Release();
    EXPECT_EQ(FLog.Destroyed, 1);
}

TEST_F(CheckedObjectTest, UseDuringDestructionIsReportedAndReleaseDestroysOnce) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::AddRefInDestructor);
    const std::u16string tag = Wide(Tag(*probe, "TProbe"));
    probe->AddRef();
    probe->Release();

    EXPECT_EQ(FLog.Destroyed, 1);
    EXPECT_EQ(FLog.CountSeenByAddRef, -1);
    EXPECT_EQ(FLog.MisuseMessage, u"Usage attempt with just deleted object " + tag);
    EXPECT_EQ(FLog.MisuseCode, static_cast<HRESULT>(0x8004D50Du));
    EXPECT_EQ(FLog.CountAfterReleaseInDestructor, -2);
}

TEST_F(CheckedObjectTest, SecondDestructionIsReported) {
    TProbe* probe = CreateCheckedObject<TProbe>(FLog, TProbeMode::FreeInDestructor);
    const std::u16string tag = Wide(Tag(*probe, "TProbe"));
    probe->Free();

    EXPECT_EQ(FLog.Destroyed, 1);
    EXPECT_EQ(FLog.MisuseMessage, u"Object deletion attempt with just deleted one " + tag);
    EXPECT_EQ(FLog.MisuseCode, static_cast<HRESULT>(0x80048672u));
}

} // namespace
