// Win32Form: what the Win32 backend's forms offer the message loop and the tests.
//
// A form is a top-level window of the backend's form class; each control is a child window whose
// ID (GetDlgCtrlID) is FirstControlId plus the control's index in the layout's table, so that
// code outside the toolkit (a test driving a form by window messages) finds a control's window
// from the layout alone. User-interface thread only.
#pragma once

#include "Toolkit/Layout.h"

#include <windows.h>

#include <string_view>

namespace Toolkit::Win32Backend {

inline constexpr int FirstControlId = 1000;

// The window ID of the control named `name` in `layout`, or -1 when it has none.
int ControlId(const TFormDescriptor& layout, std::u16string_view name);

// Handles the keys a form answers itself before the focused control sees them (Esc presses the
// cancel button, Enter the default button, Tab and Shift+Tab move the focus along the tab
// order). True when `message` was one of them and needs no further dispatching.
bool HandleFormKey(const MSG& message);

} // namespace Toolkit::Win32Backend
