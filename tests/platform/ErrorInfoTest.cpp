#include "Platform/ErrorInfo.h"
#include "Platform/SysString.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr GUID SomeGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

// Creates a record filled with `description` and makes it the thread's current one.
void SetCurrent(const char16_t* description) {
    ICreateErrorInfo* created = nullptr;
    ASSERT_EQ(CreateErrorInfo(&created), S_OK);
    created->SetGUID(SomeGuid);
    created->SetSource(u"pluginsystem.TPlugin");
    created->SetDescription(description);
    created->SetHelpFile(u"help.chm");
    created->SetHelpContext(42);
    void* info = nullptr;
    ASSERT_EQ(created->QueryInterface(IID_IErrorInfo, &info), S_OK);
    EXPECT_EQ(SetErrorInfo(0, static_cast<IErrorInfo*>(info)), S_OK);
    static_cast<IErrorInfo*>(info)->Release();
    created->Release();
}

std::u16string TakeDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK)
        return u"<none>";
    TSysString description;
    info->GetDescription(description.Out());
    info->Release();
    return description.Text();
}

TEST(ErrorInfo, ReadingTakesTheRecordAway) {
    SetCurrent(u"Conversion failed");

    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    GUID guid{};
    TSysString source, description, helpFile;
    DWORD helpContext = 0;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(info->GetSource(source.Out()), S_OK);
    EXPECT_EQ(info->GetDescription(description.Out()), S_OK);
    EXPECT_EQ(info->GetHelpFile(helpFile.Out()), S_OK);
    EXPECT_EQ(info->GetHelpContext(&helpContext), S_OK);
    info->Release();
    EXPECT_TRUE(guid == SomeGuid);
    EXPECT_EQ(source.Text(), u"pluginsystem.TPlugin");
    EXPECT_EQ(description.Text(), u"Conversion failed");
    EXPECT_EQ(helpFile.Text(), u"help.chm");
    EXPECT_EQ(helpContext, 42u);

    info = reinterpret_cast<IErrorInfo*>(&guid);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
}

TEST(ErrorInfo, SettingReplacesAndNullClears) {
    SetCurrent(u"first");
    SetCurrent(u"second");
    EXPECT_EQ(TakeDescription(), u"second");

    SetCurrent(u"third");
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(TakeDescription(), u"<none>");
}

TEST(ErrorInfo, EachThreadHasItsOwnRecord) {
    SetCurrent(u"main thread");
    std::u16string seenByOther;
    std::thread other([&] {
        seenByOther = TakeDescription();
        SetCurrent(u"other thread"); // left behind: released when the thread ends
    });
    other.join();
    EXPECT_EQ(seenByOther, u"<none>");
    EXPECT_EQ(TakeDescription(), u"main thread");
}

TEST(ErrorInfo, ObjectAnswersItsInterfacesAsOneObject) {
    ICreateErrorInfo* created = nullptr;
    ASSERT_EQ(CreateErrorInfo(&created), S_OK);
    void* root = nullptr;
    void* again = nullptr;
    void* info = nullptr;
    EXPECT_EQ(created->QueryInterface(IID_IInterface, &root), S_OK);
    EXPECT_EQ(created->QueryInterface(IID_IErrorInfo, &info), S_OK);
    EXPECT_EQ(static_cast<IErrorInfo*>(info)->QueryInterface(IID_IInterface, &again), S_OK);
    EXPECT_EQ(root, again);

    void* missing = &root;
    constexpr IID Unknown = {0xDEADBEEF, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(created->QueryInterface(Unknown, &missing), E_NOINTERFACE);
    EXPECT_EQ(missing, nullptr);

    // Four references were taken; the last release frees the object (the leak check sees it).
    static_cast<IInterface*>(root)->Release();
    static_cast<IInterface*>(again)->Release();
    EXPECT_EQ(static_cast<IErrorInfo*>(info)->Release(), 1);
    EXPECT_EQ(created->Release(), 0);
}

TEST(ErrorInfo, NullOutParametersAreRefused) {
    EXPECT_EQ(CreateErrorInfo(nullptr), E_POINTER);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_POINTER);
}

} // namespace
