// RecordedErrors: collects the messages of exceptions that escape event handlers instead of
// showing them in the toolkit's message box, for the fixture's lifetime.
#pragma once

#include "Toolkit/Application.h"

#include <string>
#include <vector>

class TRecordedErrors {
public:
    TRecordedErrors() {
        Toolkit::Application().SetOnException(
            [this](const std::u16string& message) { FMessages.push_back(message); });
    }
    ~TRecordedErrors() { Toolkit::Application().SetOnException({}); }
    TRecordedErrors(const TRecordedErrors&) = delete;
    TRecordedErrors& operator=(const TRecordedErrors&) = delete;

    const std::vector<std::u16string>& Messages() const { return FMessages; }

private:
    std::vector<std::u16string> FMessages;
};
