// WindowHandle: what a window handle (HWND) is on POSIX.
//
// A window handle is the address of the QWindow of a top-level window: the native window of
// Qt. For a QWidget, that is widget->window()->windowHandle() once the widget has its native
// window (after show() or winId()). Turning a handle back into a window checks that it names a
// live window of the process, so a stale or made-up handle yields null, never a dangling
// pointer. User-interface thread only.
#pragma once

#include "Platform/PlatformTypes.h"

#include <QGuiApplication>
#include <QWindow>

namespace Platform {

inline HWND HandleOfWindow(QWindow* window) {
    return reinterpret_cast<HWND>(window);
}

// The window `handle` names, or null when it names none (or there is no GUI application).
inline QWindow* WindowOfHandle(HWND handle) {
    if (handle == nullptr || QGuiApplication::instance() == nullptr)
        return nullptr;
    auto* window = reinterpret_cast<QWindow*>(handle);
    return QGuiApplication::allWindows().contains(window) ? window : nullptr;
}

} // namespace Platform
