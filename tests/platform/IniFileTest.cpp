// The settings store: values in, values out, and the rest of the file left as it was.
#include "Platform/IniFile.h"
#include "Platform/Files.h"
#include "tests/support/TempDir.h"
#include "tests/support/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Windows files have attributes, not POSIX modes.
#ifdef _WIN32
constexpr bool kModesExist = false;
#else
constexpr bool kModesExist = true;
#endif

class IniFileTest : public testing::Test {
protected:
    void WriteRaw(const std::string& bytes) { std::ofstream(FPath, std::ios::binary) << bytes; }
    std::string ReadRaw() const {
        std::ifstream file(FPath, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }

    TTempDir FDir;
    std::string FPath = FDir.File("host.ini");
    Platform::TIniFile FIni{U16(FPath)};
};

TEST_F(IniFileTest, WritesChangeOnlyTheirLine) {
    const std::string before = "; the host's settings\r\n[Main]\r\nWindow=max\r\n\r\n"
                               "[LotW Inbox]\r\nlogin=old\r\n; keep me\r\n\r\n[Other]\r\nx=1\r\n";
    WriteRaw(before);
    EXPECT_EQ(U8(FIni.ReadString(u"lotw inbox", u"Login", u"-")), "old");
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Login", u"dl1abc"), 0);
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Password", u"  pass word "), 0);
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Resource", u""), 0);
    EXPECT_EQ(FIni.WriteString(u"New", u"k", u"v"), 0);
    EXPECT_EQ(ReadRaw(),
              "; the host's settings\r\n[Main]\r\nWindow=max\r\n\r\n"
              "[LotW Inbox]\r\nlogin=dl1abc\r\n; keep me\r\nPassword=\"  pass word \"\r\n"
              "Resource=\r\n\r\n[Other]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n");

    Platform::TIniFile reread(U16(FPath));
    EXPECT_EQ(U8(reread.ReadString(u"LotW Inbox", u"Password", u"-")), "  pass word ");
    EXPECT_TRUE(reread.ValueExists(u"LotW Inbox", u"Resource"));
    EXPECT_EQ(U8(reread.ReadString(u"LotW Inbox", u"Resource", u"default")), "");
    EXPECT_EQ(U8(reread.ReadString(u"LotW Inbox", u"Missing", u"default")), "default");
}

TEST_F(IniFileTest, KeepsAUnicodeFilesEncodingAndLineBreaks) {
    WriteRaw(Platform::EncodeText(u"[Main]\nName=J\u00fcrgen\n", Platform::TTextEncoding::Utf16LE));
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Login", u"\u0416"), 0);
    EXPECT_EQ(ReadRaw(),
              Platform::EncodeText(u"[Main]\nName=J\u00fcrgen\n\n[LotW Inbox]\nLogin=\u0416\n",
                                   Platform::TTextEncoding::Utf16LE));
}

// The host's file may hold bytes that are not valid in the code page, mixed line breaks and no
// break at its end: all of it stays byte for byte, and the file keeps its permissions.
TEST_F(IniFileTest, KeepsEveryByteItDoesNotChangeAndTheFilesMode) {
    WriteRaw("[Main]\r\nName=J\xFCrgen\n\xFF\xFE junk\r[LotW Inbox]\r\nLogin=old");
    constexpr auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                          std::filesystem::perms::group_read;
    std::filesystem::permissions(FPath, mode);
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Password", u"pw"), 0);
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Login", u"new"), 0);
    EXPECT_EQ(ReadRaw(), "[Main]\r\nName=J\xFCrgen\n\xFF\xFE junk\r[LotW Inbox]\r\nLogin=new\r\n"
                         "Password=pw\r\n");
    if (kModesExist) {
        EXPECT_EQ(std::filesystem::status(FPath).permissions() & std::filesystem::perms::all, mode);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir.Path()), {}), 1)
        << "no temporary file is left behind";
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedByTheFirstWriteForItsOwnerOnly) {
    EXPECT_FALSE(FIni.ValueExists(u"LotW Inbox", u"Login"));
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Login", u"a"), 0);
    EXPECT_EQ(ReadRaw(), "[LotW Inbox]\r\nLogin=a\r\n");
    if (kModesExist) {
        EXPECT_EQ(std::filesystem::status(FPath).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
}

TEST_F(IniFileTest, FailedWriteIsReported) {
    std::filesystem::create_directory(FPath); // a folder where the file should be
    const int error = FIni.WriteString(u"LotW Inbox", u"Login", u"a");
    EXPECT_NE(error, 0);
    EXPECT_FALSE(Platform::FileErrorText(error).empty());

    Platform::TIniFile noFolder(U16(FDir.File("missing\\host.ini")));
    EXPECT_NE(noFolder.WriteString(u"LotW Inbox", u"Login", u"a"), 0);
}

TEST(ResolveIniPath, FollowsTheHostsRules) {
    const std::string executable = U8(Platform::ExecutablePath());
    const std::string folder = executable.substr(0, executable.find_last_of("/\\") + 1);
    const std::string name = executable.substr(folder.size());
    const std::string stem = folder + name.substr(0, name.rfind('.')); // npos: no extension
    EXPECT_EQ(U8(Platform::ResolveIniPath(u"")), stem + ".ini");
    EXPECT_EQ(U8(Platform::ResolveIniPath(u"Host.cfg")), folder + "Host.ini");
    EXPECT_EQ(U8(Platform::ResolveIniPath(u"C:\\Host\\Host.cfg")), "C:\\Host\\Host.cfg");
}

TEST(Files, BackslashSeparatesFoldersAndLinesAppend) {
    TTempDir dir;
    const std::u16string path = U16(dir.Path().string()) + u"\\log.err";
    EXPECT_FALSE(Platform::FileExists(path));
    EXPECT_EQ(Platform::AppendAnsiLine(path, u"K1A\t- \u00e4"), 0);
    EXPECT_EQ(Platform::AppendAnsiLine(path, u"W1AW"), 0);
    EXPECT_TRUE(Platform::FileExists(path));
    std::string content;
    EXPECT_EQ(Platform::ReadFileBytes(path, content), 0);
    EXPECT_EQ(content, Platform::ToAnsiCodePage(u"K1A\t- \u00e4") + "\r\nW1AW\r\n");
    EXPECT_EQ(Platform::RemoveFile(path), 0);
    EXPECT_FALSE(Platform::FileExists(path));
    EXPECT_FALSE(Platform::FileExists(U16(dir.Path().string()))) << "a folder is no file";
}

// The file stays open between lines, yet each line is in it when Append returns (read as an
// editor would, sharing the file); a folder that is missing at the first line may be there at
// the next.
TEST(Files, LineFileKeepsItsFileOpenAndEveryLineWritten) {
    TTempDir dir;
    const std::u16string path = U16(dir.Path().string()) + u"\\later\\log.err";
    auto content = [&] {
        std::ifstream file(dir.Path() / "later" / "log.err", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    Platform::TAnsiLineFile log(path);
    EXPECT_NE(log.Append(u"lost"), 0);
    std::filesystem::create_directory(dir.Path() / "later");
    EXPECT_FALSE(Platform::FileExists(path)) << "created at the first line, not before";
    EXPECT_EQ(log.Append(u"K1A\t- \u00e4"), 0);
    const std::string first = Platform::ToAnsiCodePage(u"K1A\t- \u00e4") + "\r\n";
    EXPECT_EQ(content(), first);
    EXPECT_EQ(log.Append(u"W1AW"), 0);
    EXPECT_EQ(content(), first + "W1AW\r\n");
}

} // namespace
