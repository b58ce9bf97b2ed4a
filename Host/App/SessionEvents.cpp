#include "Host/App/SessionEvents.h"

#include "Platform/Locale.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>

namespace RefHost {

void TSessionEvents::Called(const char* operation) {
    if (TimeHostCalls && FCallDepth++ == 0) {
        FCallEntered = TClock::now();
        ++FHostCallCount;
    }
    FCalls.Count(operation);
}

void TSessionEvents::Returned(const char*) noexcept {
    if (TimeHostCalls && FCallDepth > 0 && --FCallDepth == 0)
        FHostCallTime += TClock::now() - FCallEntered;
}

void TSessionEvents::Print(const std::string& line) const {
    if (PrintLine)
        PrintLine(line);
    else
        std::cout << line << std::endl;
}

void TSessionEvents::Journal(const std::u16string& line) {
    FJournal.push_back(Platform::Utf16ToUtf8(line));
    Print("journal: " + FJournal.back());
}

void TSessionEvents::Message(const std::u16string& caption, const std::u16string& text) {
    Print("message: " + Platform::Utf16ToUtf8(caption) + ": " + Platform::Utf16ToUtf8(text));
    if (ShowMessageBoxes)
        QMessageBox::information(QApplication::activeWindow(), QString::fromStdU16String(caption),
                                 QString::fromStdU16String(text));
}

void TSessionEvents::Command(const std::u16string& name, const std::u16string& parameter) {
    Print("command: " + Platform::Utf16ToUtf8(name) + " " + Platform::Utf16ToUtf8(parameter));
    if (name == u"REFRESH" && OnRefresh)
        OnRefresh();
}

void TSessionEvents::MenuChanged() {
    if (OnMenuChanged)
        OnMenuChanged();
}

void TSessionEvents::StatementRefused(const std::u16string& statement, const std::string& reason) {
    std::cerr << "refhost: the logbook refused \"" << Platform::Utf16ToUtf8(statement)
              << "\": " << reason << std::endl;
}

} // namespace RefHost
