// Types: the plain values the toolkit's forms and controls are described and driven with.
//
// Geometry is in pixels at 96 DPI, relative to the parent control's top-left corner. Colours
// name the system's colours, never fixed values, so a form follows the user's colour scheme.
// Everything here is a value type with no toolkit state behind it.
#pragma once

#include <compare>

namespace Toolkit {

// A control's place: left, top, width and height.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    constexpr int Right() const { return Left + Width; }
    constexpr int Bottom() const { return Top + Height; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// Space kept free around a control that is aligned to an edge or fills its parent.
struct TMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// How a control takes its place in its parent's free area. Aligned controls are placed in the
// order top, bottom, left, right, client; each takes its strip from what is still free.
enum class TAlign { None, Top, Bottom, Left, Right, Client };

// The system's colours. Default means "as the parent", or the control kind's own colour.
enum class TColor { Default, WindowText, BtnFace, Window, GrayText, ActiveCaption };

// A control's border: none, the framed (sunken 3-D) border of an input field, or the thin
// sunken border of a status pane.
enum class TFrame { None, Framed, ThinSunken };

// The pointer shown over the plug-in's windows.
enum class TCursor { Default, HourGlass };

// What the user's closing of a form leads to; the close handler may set None to keep it open.
enum class TCloseAction { None, Hide };

// A modal display's outcome: nonzero ends the display.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;

// A calendar date. IsValid() is true for a real date of the proleptic Gregorian calendar in
// the years 1 to 9999.
struct TDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;

    bool IsValid() const;
    friend constexpr auto operator<=>(const TDate&, const TDate&) = default;
};

} // namespace Toolkit
