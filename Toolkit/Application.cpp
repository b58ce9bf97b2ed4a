// The backend-neutral part of the application object: message processing at a bounded rate,
// the pointer over every form, and the messages of exceptions that escape event handlers.
#include "Toolkit/Application.h"

#include "Platform/Locale.h"
#include "Base/Exceptions.h"
#include "Toolkit/Form.h"

#include <algorithm>

namespace Toolkit {

void TApplication::ProcessMessagesAtInterval() {
    if (TClock::now() - FMessagesProcessed >= MessageInterval)
        ProcessMessages();
}

void TApplication::SetCursor(TCursor cursor) {
    FCursor = cursor;
    for (TForm* form : FForms)
        form->ApplyCursor(cursor);
}

std::u16string TApplication::ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return Platform::Utf8ToUtf16(e.what());
    } catch (...) {
        return u"An unknown error occurred";
    }
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        const std::u16string message = ExceptionMessage(error);
        if (FOnException) {
            FOnException(message);
            return;
        }
        ShowErrorMessage(message);
    } catch (...) {
        // Showing the message failed as well; nothing more can be told.
    }
}

void TApplication::AddForm(TForm& form) {
    FForms.push_back(&form);
}

void TApplication::RemoveForm(TForm& form) {
    std::erase(FForms, &form);
}

} // namespace Toolkit
