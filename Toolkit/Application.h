// Application: the toolkit's process-wide application object.
//
// It creates the user-interface application when the host has none, keeps the owner window of
// the plug-in's top-level forms (the host's application window, handed over at start-up and
// given up at shutdown), lets pending window messages run (on every call, or at a bounded rate
// for callers that report progress very often), sets the pointer for every form of
// the plug-in, and shows exceptions that escape event handlers. Application() creates the
// object on first use. User-interface thread only.
#pragma once

#include "Platform/PlatformTypes.h"
#include "Toolkit/Types.h"

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace Toolkit {

class TForm;

class TApplication {
public:
    // Shows the message of an exception that escaped an event handler.
    using TExceptionEvent = std::function<void(const std::u16string& message)>;

    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // The host's application window becomes the owner of top-level forms created from now on;
    // null gives it up. A handle that names no window of the process counts as none.
    void SetApplicationWindow(HWND window);
    // The owner window, or null (none handed over, given up, or since destroyed).
    HWND ApplicationWindow() const;

    // Handles every message waiting in the thread's queue, then returns.
    void ProcessMessages();
    // As ProcessMessages, but only when messages were last handled MessageInterval or more
    // ago; else returns at once. For callers in a tight loop (a progress bar moved per record):
    // the windows still repaint and answer input many times a second, while the loop no
    // longer spends most of its time looking into an empty queue.
    void ProcessMessagesAtInterval();
    static constexpr std::chrono::milliseconds MessageInterval{15};
    // Waits until at least one message arrives, then handles what is waiting.
    void HandleMessage();
    // Wakes a HandleMessage that is waiting.
    void WakeUp();

    // The pointer over every form of the plug-in, including forms created later.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);

    // Shows the message of the exception `error` (the handler set with SetOnException, else a
    // message box). Never throws.
    void HandleException(std::exception_ptr error) noexcept;
    // Replaces the message box; an empty handler restores it.
    void SetOnException(TExceptionEvent handler) { FOnException = std::move(handler); }
    // The message an exception carries: Exception::Message(), std::exception::what(), or a
    // fixed text for anything else.
    static std::u16string ExceptionMessage(std::exception_ptr error);

    // Forms register themselves while they live.
    void AddForm(TForm& form);
    void RemoveForm(TForm& form);

private:
    friend TApplication& Application();
    TApplication();

    // The backend's message box for an error message.
    static void ShowErrorMessage(const std::u16string& message);

    using TClock = std::chrono::steady_clock;

    HWND FApplicationWindow = nullptr;
    // When ProcessMessages last returned.
    TClock::time_point FMessagesProcessed{};
    TCursor FCursor = TCursor::Default;
    TExceptionEvent FOnException;
    std::vector<TForm*> FForms;
};

// The application object; the first call creates it (and the user-interface application when
// the process has none).
TApplication& Application();

} // namespace Toolkit
