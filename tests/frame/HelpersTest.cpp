#include "PluginAPI/Plugins/Helpers.h"

#include "Platform/ErrorInfo.h"
#include "Platform/SysString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HRESULT Code(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

// The thread's error information as plain values; `Present` is false when there was none.
struct TErrorRecord {
    bool Present = false;
    GUID Guid{};
    std::u16string Source;
    std::u16string Description;
    std::u16string HelpFile;
    DWORD HelpContext = 0;
};

TErrorRecord TakeErrorRecord() {
    TErrorRecord record;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK)
        return record;
    record.Present = true;
    TSysString source, description, helpFile;
    info->GetGUID(&record.Guid);
    info->GetSource(source.Out());
    info->GetDescription(description.Out());
    info->GetHelpFile(helpFile.Out());
    info->GetHelpContext(&record.HelpContext);
    info->Release();
    record.Source = source.Text();
    record.Description = description.Text();
    record.HelpFile = helpFile.Text();
    return record;
}

// Leaves error information as the host does with a failing status.
void LeaveErrorInfo(const std::u16string& description, const std::u16string& source = u"host",
                    DWORD helpContext = 0) {
    ICreateErrorInfo* created = nullptr;
    ASSERT_EQ(CreateErrorInfo(&created), S_OK);
    created->SetSource(TSysString(source).Get());
    created->SetDescription(TSysString(description).Get());
    created->SetHelpFile(TSysString(u"host.hlp").Get());
    created->SetHelpContext(helpContext);
    void* info = nullptr;
    created->QueryInterface(IID_IErrorInfo, &info);
    SetErrorInfo(0, static_cast<IErrorInfo*>(info));
    static_cast<IErrorInfo*>(info)->Release();
    created->Release();
}

class HelpersTest : public ::testing::Test {
protected:
    void SetUp() override { SetErrorInfo(0, nullptr); }
    void TearDown() override { SetErrorInfo(0, nullptr); }
};

// ---- Class-name codes ----

TEST(ClassErrorCode, IsTheCrcOfTheClassNameOverTheBase) {
    const std::pair<const char*, std::uint32_t> examples[] = {
        {"EConvertError", 0x800428DF},
        {"EAbort", 0x8004C1E0},
        {"ECheckedInterfacedObjectError", 0x80044383},
        {"ECheckedInterfacedObjectDeleteError", 0x80045A95},
        {"ECheckedInterfacedObjectDoubleFreeError", 0x80048672},
        {"ECheckedInterfacedObjectUseDeletedError", 0x8004D50D},
        {"EInvalidCoreVersion", 0x8004D63A},
    };
    for (const auto& [name, code] : examples)
        EXPECT_EQ(ClassErrorCode(name), Code(code)) << name;
}

// ---- Exceptions to statuses ----

TEST(ExceptionToStatus, FollowsTheClassKind) {
    EOSError noError(u"fine");
    EOSError accessDenied(u"denied");
    accessDenied.SetErrorCode(0x10005); // only the low 16 bits travel
    const EInvalidCoreVersion version(u"too old");
    const EOleSysError positive(u"", 1, 0);

    EXPECT_EQ(ExceptionToStatus(Exception(u"plain")), E_UNEXPECTED);
    EXPECT_EQ(ExceptionToStatus(EConvertError(u"x")), Code(0x800428DF));
    EXPECT_EQ(ExceptionToStatus(EOutOfResources(u"x")), ClassErrorCode("EOutOfResources"));
    EXPECT_EQ(ExceptionToStatus(version), Code(0x8004D63A));
    EXPECT_EQ(ExceptionToStatus(positive), 1); // its own code, whatever its sign
    EXPECT_EQ(ExceptionToStatus(noError), S_OK);
    EXPECT_EQ(ExceptionToStatus(accessDenied), Code(0x80070005));
}

TEST(EBaseException, FormatsAndCarriesItsOwnClassCode) {
    const EInvalidCoreVersion e(u"Core version %d is older than %s (%d%%)",
                                {104018, u"104019", 99});
    EXPECT_EQ(e.Message(), u"Core version 104018 is older than 104019 (99%)");
    EXPECT_EQ(e.ErrorCode(), Code(0x8004D63A));
    EXPECT_EQ(e.HelpContext(), 0);
    EXPECT_STREQ(e.ClassName(), "EInvalidCoreVersion");
}

// ---- Failures leaving a boundary operation ----

struct TSafeCallCase {
    const char* Name;
    std::unique_ptr<Exception> Raised; // null: something that is no Exception
    HRESULT Status;
    GUID Guid;
};

TEST_F(HelpersTest, HandleSafeCallExceptionLeavesErrorInformation) {
    auto osError = std::make_unique<EOSError>(u"Access denied");
    osError->SetErrorCode(5);
    TSafeCallCase cases[] = {
        {"EConvertError", std::make_unique<EConvertError>(u"Bad date", 17), Code(0x800428DF),
         PluginSystemErrorGUID},
        {"Exception", std::make_unique<Exception>(u"Plain", 3), E_UNEXPECTED, GUID{}},
        {"EOSError", std::move(osError), Code(0x80070005), GUID{}},
        {"no Exception", nullptr, E_UNEXPECTED, GUID{}},
    };
    for (const TSafeCallCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(HandleSafeCallException("TPlugin", c.Raised.get()), c.Status);
        const TErrorRecord record = TakeErrorRecord();
        ASSERT_TRUE(record.Present);
        EXPECT_TRUE(record.Guid == c.Guid);
        EXPECT_EQ(record.Source, u"pluginsystem.TPlugin");
        EXPECT_EQ(record.Description, c.Raised ? c.Raised->Message() : u"");
        EXPECT_EQ(record.HelpContext, c.Raised ? static_cast<DWORD>(c.Raised->HelpContext()) : 0);
        EXPECT_EQ(record.HelpFile, u"");
    }
}

TEST_F(HelpersTest, OsErrorWithoutCodeReportsSuccess) {
    EXPECT_EQ(HandleSafeCallException("TPluginMenuItem", std::make_unique<EOSError>(u"").get()),
              S_OK);
    EXPECT_EQ(TakeErrorRecord().Source, u"pluginsystem.TPluginMenuItem");
}

// ---- Failing statuses back to exceptions ----

// Every class a received class-name code turns back into.
const char* const TableClasses[] = {
    "ECheckedInterfacedObjectError",
    "ECheckedInterfacedObjectDeleteError",
    "ECheckedInterfacedObjectDoubleFreeError",
    "ECheckedInterfacedObjectUseDeletedError",
    "EInvalidCoreVersion",
    "EAbort",
    "EAbstractError",
    "EArgumentException",
    "EArgumentOutOfRangeException",
    "EAssertionFailed",
    "EBitsError",
    "EClassNotFound",
    "EComponentError",
    "EConvertError",
    "EDirectoryNotFoundException",
    "EFCreateError",
    "EFOpenError",
    "EFileNotFoundException",
    "EFileStreamError",
    "EFilerError",
    "EHeapException",
    "EInOutError",
    "EIntfCastError",
    "EInvalidCast",
    "EInvalidContainer",
    "EInvalidImage",
    "EInvalidInsert",
    "EInvalidOperation",
    "EInvalidPointer",
    "EListError",
    "EMethodNotFound",
    "EMonitor",
    "EMonitorLockException",
    "ENoConstructException",
    "ENoMonitorSupportException",
    "ENotSupportedException",
    "EOutOfMemory",
    "EOutOfResources",
    "EPackageError",
    "EParserError",
    "EPathTooLongException",
    "EProgrammerNotFound",
    "EPropReadOnly",
    "EPropWriteOnly",
    "EReadError",
    "EResNotFound",
    "EStreamError",
    "EStringListError",
    "EVariantError",
    "EWriteError",
};

TEST_F(HelpersTest, EveryTableClassComesBackAsItself) {
    ASSERT_EQ(std::size(TableClasses), 50u);
    for (const char* name : TableClasses) {
        SCOPED_TRACE(name);
        const HRESULT status = ClassErrorCode(name);
        LeaveErrorInfo(u"Host said no", u"host", 7);
        const std::unique_ptr<Exception> e = StatusToException(status);
        EXPECT_STREQ(e->ClassName(), name);
        EXPECT_EQ(ExceptionToStatus(*e), status);
        EXPECT_EQ(e->Message(), u"Host said no");
        // The OLE kinds keep the help context; the others are built from the message alone.
        EXPECT_EQ(e->HelpContext(), dynamic_cast<const EOleSysError*>(e.get()) ? 7 : 0);
        EXPECT_FALSE(TakeErrorRecord().Present); // the record was consumed
    }
}

TEST_F(HelpersTest, Facility7BecomesAnOsError) {
    // 0x28DF is EConvertError's CRC: the facility decides before the table is consulted.
    LeaveErrorInfo(u"The system cannot find the file specified.");
    const std::unique_ptr<Exception> e = StatusToException(Code(0x800728DF));
    const auto* os = dynamic_cast<const EOSError*>(e.get());
    ASSERT_NE(os, nullptr);
    EXPECT_STREQ(e->ClassName(), "EOSError");
    EXPECT_EQ(os->ErrorCode(), 0x28DFu);
    EXPECT_EQ(e->Message(), u"The system cannot find the file specified.");
}

TEST_F(HelpersTest, UnknownClassCodeBecomesAnOleExceptionWithTrimmedMessage) {
    const HRESULT unsupported = ClassErrorCode("EUnsupportedCore");
    LeaveErrorInfo(u"Interface IHostServer is not supported... \t\r\n", u"core", 12);
    const std::unique_ptr<Exception> e = StatusToException(unsupported);
    const auto* ole = dynamic_cast<const EOleException*>(e.get());
    ASSERT_NE(ole, nullptr);
    EXPECT_STREQ(e->ClassName(), "EOleException");
    EXPECT_EQ(ole->ErrorCode(), unsupported);
    EXPECT_EQ(ole->Message(), u"Interface IHostServer is not supported");
    EXPECT_EQ(ole->Source(), u"core");
    EXPECT_EQ(ole->HelpFile(), u"host.hlp");
    EXPECT_EQ(ole->HelpContext(), 12);
}

TEST_F(HelpersTest, StatusWithoutErrorInformationTakesTheSystemText) {
    const std::unique_ptr<Exception> unexpected = StatusToException(E_UNEXPECTED);
    const auto* ole = dynamic_cast<const EOleException*>(unexpected.get());
    ASSERT_NE(ole, nullptr);
    EXPECT_EQ(ole->ErrorCode(), Code(0x8000FFFF));
    EXPECT_EQ(ole->Message(), u"Catastrophic failure");
    EXPECT_EQ(ole->Source(), u"");
    EXPECT_EQ(ole->HelpContext(), 0);

    // No system text: the code in eight upper-case hexadecimal digits.
    EXPECT_EQ(StatusToException(Code(0x8004ABCD))->Message(), u"OLE error 8004ABCD");
    // A plug-in class keeps the status as received and takes the same empty-message rule.
    const std::unique_ptr<Exception> version = StatusToException(Code(0x8004D63A));
    EXPECT_EQ(version->Message(), u"OLE error 8004D63A");
    EXPECT_EQ(ExceptionToStatus(*version), Code(0x8004D63A));
}

TEST_F(HelpersTest, FailingHostStatusRaisesTheNamedClassAtTheCallSite) {
    EXPECT_EQ(FailureHook(), &RaiseStatusError); // installed when the library loaded
    EXPECT_NO_THROW(CheckHostStatus(S_OK));
    EXPECT_NO_THROW(CheckHostStatus(S_FALSE));

    LeaveErrorInfo(u"Bad date");
    const int line = __LINE__ + 2;
    try {
        CheckHostStatus(Code(0x800428DF));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Bad date");
        EXPECT_EQ(e.Address().Line, line);
        EXPECT_NE(std::string(e.Address().File).find("HelpersTest.cpp"), std::string::npos);
    }
}

} // namespace
