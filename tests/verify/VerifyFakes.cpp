#include "tests/verify/VerifyFakes.h"

#include "Base/Exceptions.h"

#include <cstdlib>
#include <sstream>

using testing::_;

namespace {

// The user's locale of every test here: the C locale ("06/30/18 12:34") unless a test says
// otherwise. (On Windows the user's locale is the system's: the tests that show dates expect
// the format that Platform::FormatShortDate gives.)
#if !defined(_WIN32)
const bool CLocaleForTests = [] {
    setenv("LC_ALL", "C", 1);
    return true;
}();
#endif

std::string Text(BSTR text) {
    return U8(SysStringView(text));
}

class TFakeTransport : public THttpTransport {
public:
    explicit TFakeTransport(TFakeNetwork& network) : FNetwork(network) {
        ++FNetwork.FLiveTransports;
    }
    ~TFakeTransport() override { --FNetwork.FLiveTransports; }
    TFakeTransport(const TFakeTransport&) = delete;
    TFakeTransport& operator=(const TFakeTransport&) = delete;

    THttpResponse Get(std::u16string_view address) override {
        FNetwork.FAddresses.push_back(U8(address));
        if (FNetwork.FThrows)
            throw EInOutError(u"transfer broke");
        return FNetwork.FResponse;
    }

private:
    TFakeNetwork& FNetwork;
};

} // namespace

TRecordingHost::TRecordingHost(TEvents& events) : FEvents(events) {
    FKernel.FValues = {{u"PLUGIN.NAME", u"Corvane.ext"},
                       {u"DOWNLOAD", u""},
                       {u"LOG.TABLE", u"Main"},
                       {u"APPPATH", u"C:\\Host"}};
    ON_CALL(FKernel, WriteLog).WillByDefault([this](BSTR line) {
        FEvents.push_back("WriteLog " + Text(line));
        return S_OK;
    });
    ON_CALL(FKernel, ShowMessage).WillByDefault([this](BSTR text, BSTR caption) {
        FEvents.push_back("ShowMessage " + Text(text) + " | " + Text(caption));
        return S_OK;
    });
    ON_CALL(FKernel, ExecuteCommand).WillByDefault([this](BSTR command, BSTR parameter) {
        FEvents.push_back("ExecuteCommand " + Text(command) + " " + Text(parameter));
        return S_OK;
    });

    ON_CALL(FServer, CreateQuery).WillByDefault([this](LONG* handle) {
        FEvents.push_back("CreateQuery");
        *handle = QueryHandle;
        return S_OK;
    });
    ON_CALL(FServer, FreeQuery).WillByDefault([this](LONG handle) {
        FEvents.push_back("FreeQuery " + std::to_string(handle));
        return S_OK;
    });
    ON_CALL(FServer, OpenQuery).WillByDefault([this](LONG, BSTR sql) {
        FEvents.push_back("OpenQuery " + Text(sql));
        return S_OK;
    });
    ON_CALL(FServer, CloseQuery).WillByDefault([this](LONG) {
        FEvents.push_back("CloseQuery");
        return S_OK;
    });
    ON_CALL(FServer, RecordExists).WillByDefault([this](BSTR table, BSTR condition, LONG* exists) {
        FEvents.push_back("RecordExists " + Text(table) + " " + Text(condition));
        *exists = FMatches(Text(condition)) ? 1 : 0;
        return S_OK;
    });
    ON_CALL(FServer, GetIntegerField).WillByDefault([this](LONG, BSTR, LONG* value, LONG* present) {
        *value = FWindowCount.value_or(0);
        *present = FWindowCount.has_value() ? 1 : 0;
        return S_OK;
    });
    ON_CALL(FServer, GetBooleanField).WillByDefault([this](LONG, BSTR, LONG* value, LONG* present) {
        // The last SELECT names the QSO: its condition follows "WHERE ".
        std::string condition;
        for (auto it = FEvents.rbegin(); it != FEvents.rend(); ++it)
            if (it->starts_with("OpenQuery SELECT LOTWSENT FROM LOGS WHERE ")) {
                condition =
                    it->substr(std::string("OpenQuery SELECT LOTWSENT FROM LOGS WHERE ").size());
                break;
            }
        const std::optional<bool> marked = FMarked(condition);
        *value = marked.value_or(false) ? 1 : 0;
        *present = marked.has_value() ? 1 : 0;
        return S_OK;
    });
    ON_CALL(FServer, ExecuteSQL).WillByDefault([this](BSTR statement, LONG* executed) {
        FEvents.push_back("ExecuteSQL " + Text(statement));
        *executed = FExecutes(Text(statement)) ? 1 : 0;
        return S_OK;
    });
}

TDateFieldValue DateField(int year, unsigned month, unsigned day) {
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                           std::chrono::day{day}};
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d", month, day, year);
    return {U16(text), date};
}

TDateFieldValue EmptyDateField() {
    return {u"", {}};
}

void TFakeView::MsgProgress(int level, std::u16string_view text, bool newLine) {
    const std::string indent(static_cast<std::size_t>(level > 0 ? 3 * level : 0), ' ');
    FMemo += indent + U8(text) + (newLine ? "\r\n" : "");
    FEvents.push_back("Msg " + std::to_string(level) + " " + U8(text) + (newLine ? "" : " /"));
}

void TFakeView::ShowProgress(double fraction) {
    std::ostringstream text;
    text << "Progress " << fraction;
    FEvents.push_back(text.str());
}

void TFakeView::SetStatusText(std::u16string_view text) {
    FStatusText = U8(text);
    FEvents.push_back("Status " + FStatusText);
}

THttpTransportFactory TFakeNetwork::Factory() {
    return [this](std::u16string_view applicationFolder) -> std::unique_ptr<THttpTransport> {
        FApplicationFolders.push_back(U8(applicationFolder));
        return std::make_unique<TFakeTransport>(*this);
    };
}

std::string Field(std::string_view name, std::string_view value) {
    return "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + std::string(value);
}

std::string Record(std::string_view call, std::string_view band, std::string_view mode,
                   std::string_view date, std::string_view time, std::string_view extra) {
    return Field("CALL", call) + Field("BAND", band) + Field("MODE", mode) +
           Field("QSO_DATE", date) + Field("TIME_ON", time) + std::string(extra) + "<eor>";
}

std::string Report(std::string_view headerFields, const std::vector<std::string>& records) {
    std::string text = "ARRL Logbook of the World Status Report\r\nGenerated at 2018-07-05\r\n" +
                       std::string(headerFields) + "\r\n<eoh>\r\n";
    for (const std::string& record : records)
        text += record + "\r\n";
    return text;
}
