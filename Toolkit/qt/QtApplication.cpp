// The application object over Qt: the Qt application is the host's when it has one, else one
// made here.
#include "Toolkit/Application.h"

#include "Base/Exceptions.h"
#include "Platform/qt/WindowHandle.h"
#include "Toolkit/Form.h"
#include "Toolkit/qt/QtControls.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>

#include <algorithm>

namespace Toolkit {

namespace {

// Makes the Qt application when the process has none. It stays until the process ends: Qt's
// own global state goes at exit in an order that a later destruction could not follow.
void EnsureQtApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "Corvane";
    static char* argv[] = {name, nullptr};
    static QApplication* const application = new QApplication(argc, argv);
    (void)application;
}

} // namespace

TApplication& Application() {
    static TApplication application;
    return application;
}

TApplication::TApplication() {
    EnsureQtApplication();
}

TApplication::~TApplication() = default;

void TApplication::SetApplicationWindow(HWND window) {
    FApplicationWindow = window;
}

HWND TApplication::ApplicationWindow() const {
    return Platform::WindowOfHandle(FApplicationWindow) != nullptr ? FApplicationWindow : nullptr;
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FMessagesProcessed = TClock::now();
}

void TApplication::HandleMessage() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::WakeUp() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
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
        return QString::fromUtf8(e.what()).toStdU16String();
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
        QMessageBox::critical(QApplication::activeWindow(),
                              QGuiApplication::applicationDisplayName(),
                              QtBackend::ToQString(message));
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
