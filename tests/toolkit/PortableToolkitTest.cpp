// The toolkit through its portable interface only, compiled into the suite of each backend (Qt
// and Win32) with the same test names: deferred close outside a modal display, a failing close
// handler, showing a visible form modally, control lookup and bad layouts, messages at an
// interval, date fields and memos.
#if defined(_WIN32)
#include "tests/support/win32/FormDriver.h"
#else
#include "tests/support/DialogTestSupport.h"
#endif
#include "tests/support/RecordedErrors.h"
#include "tests/support/TestForm.h"

#include "Base/Exceptions.h"
#include "Toolkit/Application.h"
#include "Toolkit/Form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <thread>

using namespace Toolkit;
using namespace ToolkitTesting;
using testing::ElementsAre;

namespace {

TEST(ToolkitForm, CloseOfAFormWithoutModalLoopIsAlsoDeferred) {
    TTestForm form;
    form.Show();
    form.RunHandler([&] {
        form.Close();
        EXPECT_TRUE(form.Visible());
    });
    EXPECT_FALSE(form.Visible());
}

TEST(ToolkitForm, AFailingCloseHandlerKeepsTheFormOpenUntilTheNextClose) {
    TRecordedErrors errors;
    TTestForm form;
    form.FCloseFailures = 1;
    bool visibleAfterFailedClose = false;
    const TModalResult result = ShowModalWhile(form, [&] {
        form.Close();
        RunLater([&] {
            visibleAfterFailedClose = form.Visible();
            form.Close();
        });
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(visibleAfterFailedClose);
    EXPECT_THAT(errors.Messages(), ElementsAre(u"settings not written"));
    EXPECT_THAT(form.FEvents, ElementsAre("show", "activate", "close", "close"));
}

TEST(ToolkitForm, AVisibleFormCannotBeShownModally) {
    TTestForm form;
    form.Show();
    EXPECT_THROW(form.ShowModal(), EInvalidOperation);
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(form.Modal());
}

TEST(ToolkitForm, ControlLookupRefusesUnknownNamesOtherKindsAndBadLayouts) {
    TTestForm form;
    EXPECT_EQ(form.Control<TEdit>(u"edText").Name(), u"edText");
    EXPECT_THROW(form.Control<TEdit>(u"edMissing"), EComponentError);
    EXPECT_THROW(form.Control<TEdit>(u"btnOk"), EComponentError);

    const TControlDescriptor repeated[] = {
        {.Name = u"edA", .Kind = TControlKind::Edit, .Bounds = {0, 0, 10, 10}},
        {.Name = u"edA", .Kind = TControlKind::Edit, .Bounds = {0, 20, 10, 10}},
    };
    const TControlDescriptor orphan[] = {
        {.Name = u"edA", .Kind = TControlKind::Edit, .Parent = u"pnLater"},
        {.Name = u"pnLater", .Kind = TControlKind::Panel},
    };
    for (std::span<const TControlDescriptor> controls :
         {std::span<const TControlDescriptor>(repeated),
          std::span<const TControlDescriptor>(orphan)}) {
        const TFormDescriptor layout = {.Name = u"frmBad", .Controls = controls};
        EXPECT_THROW(TTestForm{layout}, EComponentError);
    }
}

TEST(ToolkitApplication, MessagesAtIntervalRunOnceTheIntervalHasPassed) {
    Application().ProcessMessages();
    int handled = 0;
    RunLater([&handled] { ++handled; });
    std::this_thread::sleep_for(TApplication::MessageInterval);
    Application().ProcessMessagesAtInterval();
    EXPECT_EQ(handled, 1);
}

TEST(ToolkitControls, DateFieldMayBeEmptyAndRefusesDatesThatDoNotExist) {
    TTestForm form;
    TDateField& day = form.Control<TDateField>(u"dtDay");
    EXPECT_EQ(day.Date(), std::nullopt);
    day.SetDate(TDate{2024, 2, 29});
    EXPECT_EQ(day.Date(), (TDate{2024, 2, 29}));
    try {
        day.SetDate(TDate{2023, 2, 29});
        ADD_FAILURE() << "an impossible date was taken";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
    }
    EXPECT_EQ(day.Date(), (TDate{2024, 2, 29}));
    day.SetDate(std::nullopt);
    EXPECT_EQ(day.Date(), std::nullopt);
}

TEST(ToolkitControls, MemoTextUsesCrLfAndCountsLinesAsAList) {
    struct TCase {
        std::u16string_view Set;
        std::u16string_view Text;
        int Lines;
    };
    const TCase cases[] = {
        {u"", u"", 0},
        {u"A", u"A", 1},
        {u"A\r\n", u"A\r\n", 1},
        {u"A\r\nB", u"A\r\nB", 2},
        {u"A\nB\rC\r\n\r\n", u"A\r\nB\r\nC\r\n\r\n", 4},
    };
    TTestForm form;
    TMemo& memo = form.Control<TMemo>(u"mLog");
    for (const TCase& c : cases) {
        memo.SetText(c.Set);
        EXPECT_EQ(memo.Text(), c.Text);
        EXPECT_EQ(memo.LineCount(), c.Lines);
    }
    // Longer than the default limit of a Windows edit control's text.
    const std::u16string longText(40000, u'x');
    memo.SetText(longText);
    EXPECT_EQ(memo.Text().size(), longText.size());
}

TEST(ToolkitControls, MemoScrollsByLinesAsFarAsTheTextGoes) {
    TTestForm form;
    form.Show();
    TMemo& memo = form.Control<TMemo>(u"mLog");
    memo.SetText(LinesOfText(30));
    EXPECT_EQ(memo.TopLine(), 0);
    memo.LineScroll(0, 5);
    EXPECT_EQ(memo.TopLine(), 5);
    memo.LineScroll(0, 1000);
    const int last = memo.TopLine();
    EXPECT_GT(last, 5);
    memo.LineScroll(0, 1);
    EXPECT_EQ(memo.TopLine(), last);
}

} // namespace
