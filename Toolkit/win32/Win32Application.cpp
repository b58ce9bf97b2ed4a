// The application object over the Windows message queue of the user-interface thread (the
// thread that first uses the toolkit). Window messages for the toolkit's forms pass the forms'
// own keys first (Toolkit/win32/Win32Form.h).
#include "Toolkit/Application.h"

#include "Toolkit/win32/Win32Controls.h"
#include "Toolkit/win32/Win32Form.h"

namespace Toolkit {

namespace {

DWORD UserInterfaceThread = 0;

// Handles every message waiting in the thread's queue. A quit message stays for the loop that
// owns the thread.
void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (Win32Backend::HandleFormKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

TApplication& Application() {
    static TApplication application;
    return application;
}

TApplication::TApplication() {
    UserInterfaceThread = GetCurrentThreadId();
}

TApplication::~TApplication() = default;

void TApplication::SetApplicationWindow(HWND window) {
    FApplicationWindow = window;
}

HWND TApplication::ApplicationWindow() const {
    DWORD process = 0;
    if (FApplicationWindow == nullptr || !IsWindow(FApplicationWindow) ||
        GetWindowThreadProcessId(FApplicationWindow, &process) == 0 ||
        process != GetCurrentProcessId())
        return nullptr;
    return FApplicationWindow;
}

void TApplication::ProcessMessages() {
    DispatchWaitingMessages();
    FMessagesProcessed = TClock::now();
}

void TApplication::HandleMessage() {
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    DispatchWaitingMessages();
}

void TApplication::WakeUp() {
    PostThreadMessageW(UserInterfaceThread, WM_NULL, 0, 0);
}

void TApplication::ShowErrorMessage(const std::u16string& message) {
    MessageBoxW(GetActiveWindow(), Win32Backend::Wide(message), nullptr,
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace Toolkit
