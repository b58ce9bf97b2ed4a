// The ADIF reader: how lines divide into header and records, how field values are read, the
// conversion error, and agreement with the step-by-step model on random and fuzz-found inputs.
#include "Plugins/Corvane/ADIF.h"

#include "Base/Exceptions.h"
#include "tests/adif/AdifAgreement.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

template <class TCase> std::string CaseName(const testing::TestParamInfo<TCase>& caseInfo) {
    return caseInfo.param.Name;
}

struct TSplitCase {
    const char* Name;
    TStringList Lines;
    TStringList Header;
    TStringList Records;
    bool Result;
};

const std::vector<TSplitCase> SplitCases = {
    {"EndTagsInAnyCase",
     {u"LoTW report", u"<eoh>", u"<CALL:4>K1AB<eOr>", u"<call:4>W1AW<EOR>"},
     {u"LoTW report", u"<eoh>"},
     {u"<CALL:4>K1AB<eOr>", u"<call:4>W1AW<EOR>"},
     true},
    {"TextAfterHeaderEndStaysInHeader",
     {u"<EOH> trailing note", u"<CALL:4>K1AB<EOR>"},
     {u"<EOH> trailing note"},
     {u"<CALL:4>K1AB<EOR>"},
     true},
    {"OneFieldALine",
     {u"<EOH>", u"<CALL:4>K1AB", u"<BAND:3>20M", u"<EOR>", u"<CALL:4>W1AW", u"<EOR>"},
     {u"<EOH>"},
     {u"<CALL:4>K1AB<BAND:3>20M<EOR>", u"<CALL:4>W1AW<EOR>"},
     true},
    {"EndTagBrokenAcrossTwoLines",
     {u"<EOH>", u"<CALL:4>K1AB<EO", u"R>", u"<CALL:4>W1AW<EOR>"},
     {u"<EOH>"},
     {u"<CALL:4>K1AB<EOR>", u"<CALL:4>W1AW<EOR>"},
     true},
    {"EndTagSpreadOverShortLines",
     {u"<EOH>", u"x<", u"e", u"", u"o", u"R", u">", u"next<EOR>"},
     {u"<EOH>"},
     {u"x<eoR>", u"next<EOR>"},
     true},
    {"TwoQsosOnOneLineFormOneRecord",
     {u"<EOH>", u"<CALL:4>K1AB<EOR><CALL:4>W1AW<EOR>"},
     {u"<EOH>"},
     {u"<CALL:4>K1AB<EOR><CALL:4>W1AW<EOR>"},
     true},
    {"LinesAfterLastEndTagFormOneMoreRecord",
     {u"<EOH>", u"<CALL:4>K1AB<EOR>", u"<CALL:4>W1AW", u"<BAND:3>40M"},
     {u"<EOH>"},
     {u"<CALL:4>K1AB<EOR>", u"<CALL:4>W1AW<BAND:3>40M"},
     true},
    {"TrailingEmptyLineGivesEmptyRecord",
     {u"<EOH>", u"<CALL:4>K1AB<EOR>", u""},
     {u"<EOH>"},
     {u"<CALL:4>K1AB<EOR>", u""},
     true},
    {"WithoutHeaderEndEverythingIsHeader",
     {u"<CALL:4>K1AB<EOR>", u"more"},
     {u"<CALL:4>K1AB<EOR>", u"more"},
     {},
     true},
    {"HeaderEndOnLastLine", {u"report", u"<eoh>"}, {u"report", u"<eoh>"}, {}, true},
    {"EmptyInput", {}, {}, {}, false},
    {"OneEmptyLine", {u""}, {u""}, {}, true},
};

void PrintTo(const TSplitCase& c, std::ostream* os) {
    *os << c.Name;
}

class SplitAdifTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitAdifTest, DividesLines) {
    const TSplitCase& c = GetParam();
    TStringList header, records;
    EXPECT_EQ(SplitAdif(c.Lines, header, records), c.Result);
    EXPECT_EQ(header, c.Header);
    EXPECT_EQ(records, c.Records);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitAdifTest, testing::ValuesIn(SplitCases), CaseName<TSplitCase>);

TEST(SplitAdif, AppendsToListsItIsGiven) {
    TStringList header = {u"kept"}, records = {u"kept too"};
    EXPECT_TRUE(SplitAdif({u"<EOH>", u"<EOR>"}, header, records));
    EXPECT_EQ(header, (TStringList{u"kept", u"<EOH>"}));
    EXPECT_EQ(records, (TStringList{u"kept too", u"<EOR>"}));
}

struct TFieldCase {
    const char* Name;
    std::u16string_view Field;
    int Width;
    std::u16string_view Text;
    std::u16string_view Value;
};

constexpr std::u16string_view Record = u"<APP_LoTW_MODEGROUP:5>PHONE<CALL:6>DL1ABC<BAND:3>20M"
                                       u"<MODE:3>SSB<QSO_DATE:8>20240131<EOR>";

const std::vector<TFieldCase> FieldCases = {
    {"Call", u"CALL", 15, Record, u"DL1ABC"},
    {"Band", u"BAND", 10, Record, u"20M"},
    {"NameInsideAnotherNameIsNotATag", u"MODE", 12, Record, u"SSB"},
    {"AbsentField", u"IOTA", 6, Record, u""},
    {"NameInAnyCase", u"call", 15, u"<Call:6>DL1ABC", u"DL1ABC"},
    {"ValueKeepsItsCase", u"CALL", 15, u"<call:6>dl1abc", u"dl1abc"},
    {"CutToWidth", u"CALL", 2, Record, u"DL"},
    {"WidthNotPositive", u"CALL", 0, Record, u""},
    {"FirstOccurrenceWins", u"CALL", 15, u"<CALL:4>K1AB<EOR><CALL:4>W1AW<EOR>", u"K1AB"},
    {"LengthReachesPastEnd", u"CALL", 15, u"<CALL:12>DL1ABC<EOR>", u"DL1ABC<EOR>"},
    {"LengthReachesIntoNextTag", u"CALL", 15, u"<CALL:12>DL1ABC<BAND:3>20M", u"DL1ABC<BAND:"},
    {"NoLengthDigits", u"CALL", 15, u"<CALL:>DL1ABC", u""},
    {"TagEndsText", u"CALL", 15, u"<BAND:3>20M<CALL:", u""},
    {"LeadingZeros", u"CALL", 15, u"<CALL:000000000000006>DL1ABC", u"DL1ABC"},
    {"LargestLength", u"CALL", 15, u"<CALL:2147483647>DL1ABC", u"DL1ABC"},
    {"TypeIndicatorSkipped", u"QSO_DATE", 8, u"<QSO_DATE:8:D>20240131", u"20240131"},
    {"LowerCaseTypeIndicator", u"CALL", 15, u"<CALL:6:s>DL1ABC", u"DL1ABC"},
    {"ColonWithoutTypeLetterIsOneCharacter", u"CALL", 15, u"<CALL:6:>DL1ABC", u">DL1AB"},
    {"OnlyAsciiLettersFold", u"\u00C4B", 5, u"<\u00E4b:2>xy<\u00C4b:2>zz", u"zz"},
    {"HeaderText", u"APP_LoTW_NUMREC", 7, u"ARRL report\r\n<APP_LoTW_NUMREC:3>123\r\n<eoh>\r\n",
     u"123"},
};

void PrintTo(const TFieldCase& c, std::ostream* os) {
    *os << c.Name;
}

class GetAdifFieldTest : public testing::TestWithParam<TFieldCase> {};

TEST_P(GetAdifFieldTest, ReadsValue) {
    const TFieldCase& c = GetParam();
    EXPECT_EQ(GetAdifField(c.Field, c.Width, c.Text), c.Value);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetAdifFieldTest, testing::ValuesIn(FieldCases),
                         CaseName<TFieldCase>);

TEST(GetAdifField, ValueSpanningLinesReachesPastItsEnd) {
    // The declared length counted the line break that the joined record no longer holds.
    TStringList header, records;
    SplitAdif({u"<EOH>", u"<CALL:8>DL1A", u"BC", u"<BAND:3>20M<EOR>"}, header, records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(GetAdifField(u"CALL", 15, records[0]), u"DL1ABC<B");
}

TEST(GetAdifField, ValueStopsWhereTheSearchedRemainderEnds) {
    // Nothing beyond 32767 characters after the colon belongs to a value.
    const std::u16string text = u"<NOTES:40000>" + std::u16string(40000, u'x');
    EXPECT_EQ(GetAdifField(u"NOTES", 50000, text).size(), 32767u - 6u);
}

TEST(GetAdifField, LengthBeyondInt32RaisesConversionErrorQuotingDigits) {
    try {
        GetAdifField(u"CALL", 15, u"<CALL:2147483648>DL1ABC");
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find(u"'2147483648'"), std::u16string::npos);
    }
    EXPECT_THROW(GetAdifField(u"CALL", 0, u"<CALL:99999999999999999999>"), EConvertError);
}

// Random texts built from pieces of tags, so that end tags, specifiers and their broken forms
// turn up often.
TAdifCase RandomCase(std::mt19937& random) {
    static const std::array<std::u16string_view, 28> Pieces = {
        u"<",    u">",    u"<EOR>", u"<eor>",  u"<EO",      u"R>",     u"E",
        u"O",    u"R",    u"EOR",   u"eo",     u"r>",       u"<eoh>",  u"EOH",
        u"CALL", u"call", u":",     u"0",      u"3",        u"12",     u"2147483648",
        u":D",   u"x",    u"DL1AB", u"<CALL:", u"<BAND:3>", u"\u00E4", u"\r"};
    TAdifCase adifCase;
    adifCase.Width = static_cast<int>(random() % 24) - 2;
    const auto lineCount = random() % 10;
    for (unsigned i = 0; i < lineCount; ++i) {
        std::u16string line;
        const auto pieceCount = random() % 8;
        for (unsigned k = 0; k < pieceCount; ++k)
            line += Pieces[random() % Pieces.size()];
        adifCase.Lines.push_back(line);
    }
    return adifCase;
}

TEST(AdifAgreement, ReaderAgreesWithModelOnRandomInputs) {
    std::mt19937 random(20240131);
    for (int i = 0; i < 20000; ++i) {
        const std::string disagreement = FindAdifDisagreement(RandomCase(random));
        ASSERT_TRUE(disagreement.empty()) << disagreement;
    }
}

TEST(AdifAgreement, ReaderAgreesWithModelOnFuzzCorpus) {
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CORVANE_ADIF_CORPUS)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                              std::istreambuf_iterator<char>()};
        const std::string disagreement =
            FindAdifDisagreement(AdifCaseFromBytes(bytes.data(), bytes.size()));
        EXPECT_TRUE(disagreement.empty()) << entry.path() << ": " << disagreement;
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

} // namespace
