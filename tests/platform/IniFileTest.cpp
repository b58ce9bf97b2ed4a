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

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
    EXPECT_FALSE(FIni.ValueExists(u"LotW Inbox", u"Login"));
    EXPECT_EQ(FIni.WriteString(u"LotW Inbox", u"Login", u"a"), 0);
    EXPECT_EQ(ReadRaw(), "[LotW Inbox]\r\nLogin=a\r\n");
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

} // namespace
