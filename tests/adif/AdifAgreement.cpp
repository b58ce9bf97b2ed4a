#include "tests/adif/AdifAgreement.h"

#include "Base/Exceptions.h"
#include "tests/adif/AdifReference.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

namespace {

// What reading one field gave: its value, or that it raised a conversion error.
struct TFieldOutcome {
    std::u16string Value;
    bool Raised = false;
    bool operator==(const TFieldOutcome&) const = default;
};

TFieldOutcome Outcome(const std::function<std::u16string()>& read, bool reference) {
    try {
        return {read(), false};
    } catch (const EConvertError&) {
        if (reference)
            throw;
        return {{}, true};
    } catch (const AdifReference::EReferenceConvertError&) {
        if (!reference)
            throw;
        return {{}, true};
    }
}

std::string Printable(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04X", static_cast<unsigned>(c));
            out += escaped.data();
        }
    }
    return out;
}

std::string Describe(const TFieldOutcome& outcome) {
    return outcome.Raised ? "conversion error" : "\"" + Printable(outcome.Value) + "\"";
}

// Fields the run reads, in both letter cases, and names that are odd as tags.
constexpr std::array<std::u16string_view, 8> FieldNames = {
    u"CALL", u"call", u"BAND", u"QSO_DATE", u"APP_LoTW_NUMREC", u"QSL_RCVD", u"EOR", u""};

std::string CompareFields(std::u16string_view text, int width) {
    std::vector<TFieldOutcome> expectations;
    for (const std::u16string_view name : FieldNames) {
        const TFieldOutcome actual =
            Outcome([&] { return GetAdifField(name, width, text); }, false);
        const TFieldOutcome expected =
            Outcome([&] { return AdifReference::GetAdifField(name, width, text); }, true);
        if (actual != expected)
            return "field " + Printable(name) + " width " + std::to_string(width) + " of \"" +
                   Printable(text) + "\": reader " + Describe(actual) + ", model " +
                   Describe(expected);
        expectations.push_back(expected);
    }

    // All fields in one pass: the same values, or the conversion error of the first that has one.
    std::array<std::u16string_view, FieldNames.size()> values;
    std::vector<TAdifFieldRequest> requests;
    for (std::size_t i = 0; i < FieldNames.size(); ++i)
        requests.push_back({FieldNames[i], width, &values[i]});
    bool raised = false;
    try {
        GetAdifFields(requests, text);
    } catch (const EConvertError&) {
        raised = true;
    }
    const bool anyRaises = std::any_of(expectations.begin(), expectations.end(),
                                       [](const TFieldOutcome& e) { return e.Raised; });
    if (raised != anyRaises)
        return "fields together of \"" + Printable(text) + "\": reader " +
               (raised ? "raised" : "did not raise");
    for (std::size_t i = 0; !raised && i < FieldNames.size(); ++i) {
        if (values[i] != expectations[i].Value)
            return "field " + Printable(FieldNames[i]) + " together, width " +
                   std::to_string(width) + " of \"" + Printable(text) + "\": reader \"" +
                   Printable(values[i]) + "\", model " + Describe(expectations[i]);
    }
    return {};
}

std::string DescribeList(const TStringList& list) {
    std::string out = "[";
    for (const std::u16string& item : list)
        out += "\"" + Printable(item) + "\" ";
    return out + "]";
}

} // namespace

TAdifCase AdifCaseFromBytes(const std::uint8_t* data, std::size_t size) {
    TAdifCase adifCase;
    if (size == 0)
        return adifCase;
    adifCase.Width = data[0] % 40 - 2;
    std::u16string line;
    bool anyLine = false;
    for (std::size_t i = 1; i < size; ++i) {
        anyLine = true;
        if (data[i] == '\n') {
            adifCase.Lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char16_t>(data[i]);
        }
    }
    if (anyLine)
        adifCase.Lines.push_back(line);
    return adifCase;
}

std::string FindAdifDisagreement(const TAdifCase& adifCase) {
    TStringList header, records, modelHeader, modelRecords;
    const bool result = SplitAdif(adifCase.Lines, header, records);
    const bool modelResult = AdifReference::SplitAdif(adifCase.Lines, modelHeader, modelRecords);
    if (result != modelResult || header != modelHeader || records != modelRecords)
        return "split of " + DescribeList(adifCase.Lines) + ": reader " + DescribeList(header) +
               DescribeList(records) + (result ? " true" : " false") + ", model " +
               DescribeList(modelHeader) + DescribeList(modelRecords) +
               (modelResult ? " true" : " false");

    std::u16string headerText;
    for (const std::u16string& line : header)
        headerText += line + u"\r\n";
    std::string disagreement = CompareFields(headerText, adifCase.Width);
    for (std::size_t i = 0; disagreement.empty() && i < records.size(); ++i)
        disagreement = CompareFields(records[i], adifCase.Width);
    return disagreement;
}
