// Layout: a form's layout as data, the form resource that a toolkit backend realises.
//
// A form resource is a TFormDescriptor: the window's own properties and a table of control
// descriptors. Every control names its parent (empty for the form itself); a parent comes
// before its children in the table. Bounds are relative to the parent. For a control aligned
// to an edge or filling its parent, the backend computes the place from the alignment, the
// margins and the parent's free area, and Bounds serves only to order controls that share an
// alignment (the outermost first, as their rectangles show) and to give the size across the
// alignment (height for Top and Bottom, width for Left and Right). Descriptors are constant
// data with static storage: a form refers to its layout while it lives.
#pragma once

#include "Toolkit/Types.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace Toolkit {

enum class TControlKind {
    Panel,        // a container; with a frame, its free area is inside the frame
    Group,        // a container with a bold caption underlined across its width; its free
                  // area starts below the caption line
    Label,        // one line of text
    Edit,         // one-line text input, optionally masked with a password character
    CheckBox,     // a box that can be ticked, with a caption
    DateField,    // a date with a drop-down calendar; may be empty
    Memo,         // multi-line text
    Button,       // a push button
    StatusBar,    // a strip of panes, each aligned inside it
    StatusPane,   // a text pane of a status bar
    ProgressPane, // a status-bar pane showing a percentage as a segmented bar
    Picture,      // an image, centred horizontally
};

// Flags of a control descriptor; combine with |.
enum TControlFlags : std::uint32_t {
    cfNone = 0,
    cfHidden = 1u << 0,         // not shown
    cfReadOnly = 1u << 1,       // text cannot be edited (memo, edit)
    cfAutoSize = 1u << 2,       // a label's width follows its text
    cfAnchorRight = 1u << 3,    // keeps its right edge where it is when its width changes
    cfRightAlignText = 1u << 4, // text drawn against the right edge
    cfCaptionLeft = 1u << 5,    // a check box's caption to the left of the box
    cfCancel = 1u << 6,         // the button Esc presses
    cfDefault = 1u << 7,        // the button Enter presses
    cfScrollBars = 1u << 8,     // a memo's horizontal and vertical scroll bars
    cfCalendar = 1u << 9,       // a date field's drop-down calendar
};

constexpr TControlFlags operator|(TControlFlags a, TControlFlags b) {
    return static_cast<TControlFlags>(static_cast<std::uint32_t>(a) |
                                      static_cast<std::uint32_t>(b));
}

struct TControlDescriptor {
    std::u16string_view Name{}; // unique in the form; how code and tests find it
    TControlKind Kind = TControlKind::Panel;
    std::u16string_view Parent{}; // empty: the form
    TRect Bounds{};               // relative to the parent
    TAlign Align = TAlign::None;
    TMargins Margins{};            // used with an alignment
    std::u16string_view Caption{}; // caption or initial text
    bool Bold = false;
    TColor FontColor = TColor::Default;
    TColor Color = TColor::Default; // background
    TFrame Frame = TFrame::None;
    int TabOrder = -1; // place in the parent's keyboard focus order; -1: none
    TControlFlags Flags = cfNone;
    TModalResult ModalResult = mrNone;       // a button's: pressing it ends a modal display with it
    int Segments = 0;                        // a progress pane's number of segments
    TColor BarColor = TColor::Default;       // a progress pane's segment colour
    std::span<const std::uint8_t> Picture{}; // a picture's image file (PNG)
};

// Window borders: a dialog is fixed-size with a close box and no minimise or maximise box.
enum class TBorderStyle { Sizeable, Dialog };

// Where a form appears when it is first shown.
enum class TFormPosition { Designed, ScreenCenter };

struct TFormDescriptor {
    std::u16string_view Name; // the form object's name
    int ClientWidth = 0;
    int ClientHeight = 0;
    std::u16string_view FontName{};
    int FontHeight = 0; // character height in pixels
    TColor FontColor = TColor::WindowText;
    TColor Color = TColor::BtnFace;
    TBorderStyle BorderStyle = TBorderStyle::Sizeable;
    TFormPosition Position = TFormPosition::Designed;
    bool DoubleBuffered = false;
    std::span<const TControlDescriptor> Controls{};
};

} // namespace Toolkit
