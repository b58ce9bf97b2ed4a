#include "Host/HostKernel.h"

#include "Host/HostError.h"

#include "Platform/Locale.h"
#include "Platform/SysString.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>

namespace RefHost {

namespace {

std::string TimeStamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace

THostKernel::THostKernel(THostValues values, std::string journalPath, THostCalls& calls)
    : THostObject(IID_IHostKernel), FValues(std::move(values)),
      FJournalPath(std::move(journalPath)), FCalls(calls) {}

HRESULT PLUGIN_STDCALL THostKernel::WriteLog(BSTR line) {
    return FCalls.Run("IHostKernel.WriteLog", [&] {
        const std::u16string text(SysStringView(line));
        if (!FJournalPath.empty()) {
            std::ofstream journal(FJournalPath, std::ios::app | std::ios::binary);
            journal << TimeStamp() << ' ' << Platform::Utf16ToUtf8(text) << '\n';
            journal.close();
            if (!journal)
                throw EHostError(HostErrorClass, "Cannot write the journal \"" + FJournalPath +
                                                     "\": " + std::strerror(errno));
        }
        FCalls.Events().Journal(text);
    });
}

HRESULT PLUGIN_STDCALL THostKernel::ShowMessage(BSTR text, BSTR caption) {
    return FCalls.Run("IHostKernel.ShowMessage", [&] {
        FCalls.Events().Message(std::u16string(SysStringView(caption)),
                                std::u16string(SysStringView(text)));
    });
}

HRESULT PLUGIN_STDCALL THostKernel::ExecuteCommand(BSTR command, BSTR parameter) {
    return FCalls.Run("IHostKernel.ExecuteCommand", [&] {
        const std::u16string name(SysStringView(command));
        if (name != u"REFRESH")
            throw EHostError(HostErrorClass,
                             "Unknown host command \"" + Platform::Utf16ToUtf8(name) + "\"");
        FCalls.Events().Command(name, std::u16string(SysStringView(parameter)));
    });
}

HRESULT PLUGIN_STDCALL THostKernel::GetValue(BSTR name, BSTR* value) {
    return FCalls.Run("IHostKernel.GetValue", [&] {
        RequireResultPointer(value);
        *value = nullptr;
        auto found = FValues.find(std::u16string(SysStringView(name)));
        if (found == FValues.end())
            throw EHostError(HostErrorClass, "Unknown host value \"" +
                                                 Platform::Utf16ToUtf8(SysStringView(name)) + "\"");
        *value = SysStringFrom(found->second);
        if (*value == nullptr && !found->second.empty())
            throw std::bad_alloc();
    });
}

} // namespace RefHost
