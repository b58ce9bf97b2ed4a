// DialogFixture: the verification dialog over a fake host, for the dialog's tests on every
// backend.
//
// The dialog is built at construction, as the host's command builds it: activation reads the
// host, whose fake has an empty log and no settings. Errors that escape the dialog's handlers are
// recorded instead of shown, and a test ends with none; the process-wide run flag is clear before
// and after each test.
#pragma once

#include "Plugins/Corvane/uCorvane.h"
#include "tests/support/FakeHost.h"
#include "tests/support/RecordedErrors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

class TDialogFixture : public testing::Test {
protected:
    void SetUp() override { SetRunFlag(false); }
    void TearDown() override {
        SetRunFlag(false);
        EXPECT_THAT(FErrors.Messages(), testing::IsEmpty());
    }

    TDialogContext HostContext() {
        TDialogContext context;
        context.HostKernel = TInterfacePtr<IHostKernel>(&FHost.FKernel);
        context.HostServer = TInterfacePtr<IHostServer>(&FHost.FServer);
        return context;
    }

    TFakeHost FHost;
    TRecordedErrors FErrors;
    TfrmCorvane FDialog{&FHost.FCore, HostContext()};
};
