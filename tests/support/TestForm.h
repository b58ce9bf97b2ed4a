// TestForm: a small form for the toolkit's tests, with one control of each input kind, that
// records its notifications, and text for its memo.
#pragma once

#include "Base/Exceptions.h"
#include "Toolkit/Form.h"

#include <string>
#include <vector>

namespace ToolkitTesting {

using namespace Toolkit;

inline const TControlDescriptor TestControls[] = {
    {.Name = u"pnMain",
     .Kind = TControlKind::Panel,
     .Bounds = {0, 0, 240, 140},
     .Align = TAlign::Client,
     .Frame = TFrame::ThinSunken,
     .TabOrder = 0},
    {.Name = u"edText",
     .Kind = TControlKind::Edit,
     .Parent = u"pnMain",
     .Bounds = {10, 10, 100, 21},
     .Frame = TFrame::Framed,
     .TabOrder = 0},
    {.Name = u"btnRun",
     .Kind = TControlKind::Button,
     .Parent = u"pnMain",
     .Bounds = {10, 40, 60, 25},
     .Caption = u"Run",
     .TabOrder = 1},
    {.Name = u"btnOk",
     .Kind = TControlKind::Button,
     .Parent = u"pnMain",
     .Bounds = {80, 40, 60, 25},
     .Caption = u"OK",
     .TabOrder = 2,
     .ModalResult = mrOk},
    {.Name = u"btnCancel",
     .Kind = TControlKind::Button,
     .Parent = u"pnMain",
     .Bounds = {150, 40, 60, 25},
     .Caption = u"Cancel",
     .TabOrder = 3,
     .Flags = cfCancel,
     .ModalResult = mrCancel},
    {.Name = u"dtDay",
     .Kind = TControlKind::DateField,
     .Parent = u"pnMain",
     .Bounds = {10, 70, 120, 21},
     .Frame = TFrame::Framed,
     .TabOrder = 4,
     .Flags = cfCalendar},
    {.Name = u"mLog",
     .Kind = TControlKind::Memo,
     .Parent = u"pnMain",
     .Bounds = {10, 95, 200, 40},
     .Frame = TFrame::Framed,
     .TabOrder = 5,
     .Flags = cfReadOnly | cfScrollBars},
};

inline const TFormDescriptor TestLayout = {.Name = u"frmTest",
                                           .ClientWidth = 240,
                                           .ClientHeight = 140,
                                           .BorderStyle = TBorderStyle::Dialog,
                                           .Controls = TestControls};

// `count` lines of text for a memo, each ended by CR LF.
inline std::u16string LinesOfText(int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i)
        text += u"line\r\n";
    return text;
}

// A form that records its notifications.
class TTestForm : public TForm {
public:
    explicit TTestForm(const TFormDescriptor& layout = TestLayout) : TForm(layout) {}

    std::vector<std::string> FEvents;
    int FCloseFailures = 0; // the next close handlers that raise

protected:
    void DoShow() override { FEvents.push_back("show"); }
    void DoActivate() override { FEvents.push_back("activate"); }
    void DoClose(TCloseAction&) override {
        FEvents.push_back("close");
        if (FCloseFailures > 0) {
            --FCloseFailures;
            throw EWriteError(u"settings not written");
        }
    }
};

} // namespace ToolkitTesting
