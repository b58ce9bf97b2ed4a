// renderform: draws the verification dialog, as a user sees it after activation with sample
// values, into a PNG file: with the system's windows on Windows, with Qt on POSIX (its offscreen
// platform unless one is chosen, so no display is needed). The dialog runs against a minimal
// host core that offers only the window services.
#include "Platform/Locale.h"
#include "Platform/PlatformTypes.h"
#include "PluginAPI/HostInterfaces.h"
#include "Plugins/Corvane/uCorvane.h"
#include "Toolkit/Application.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// The host's window services, doing nothing: the dialog is shown without a modal loop.
class TStubApplicationWindows final : public IApplicationWindows {
public:
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!(iid == IID_IInterface || iid == IID_IApplicationWindows))
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    LONG PLUGIN_STDCALL AddRef() override { return 1; }
    LONG PLUGIN_STDCALL Release() override { return 1; }
    HRESULT PLUGIN_STDCALL GetApplicationHandle(HWND* handle) override {
        *handle = nullptr;
        return S_OK;
    }
    HRESULT PLUGIN_STDCALL ReservedSlot4() override { return E_NOTIMPL; }
    HRESULT PLUGIN_STDCALL ReservedSlot5() override { return E_NOTIMPL; }
    HRESULT PLUGIN_STDCALL ReservedSlot6() override { return E_NOTIMPL; }
    HRESULT PLUGIN_STDCALL ReservedSlot7() override { return E_NOTIMPL; }
    HRESULT PLUGIN_STDCALL BeginModal() override { return S_OK; }
    HRESULT PLUGIN_STDCALL EndModal() override { return S_OK; }
    HRESULT PLUGIN_STDCALL ReservedSlot10() override { return E_NOTIMPL; }
    HRESULT PLUGIN_STDCALL ReservedSlot11() override { return E_NOTIMPL; }
};

// A core that offers the window services and nothing else.
class TStubCore final : public ICore {
public:
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IApplicationWindows)
            return FWindows.QueryInterface(iid, object);
        if (!(iid == IID_IInterface || iid == IID_ICore))
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    LONG PLUGIN_STDCALL AddRef() override { return 1; }
    LONG PLUGIN_STDCALL Release() override { return 1; }
    HRESULT PLUGIN_STDCALL GetVersion(LONG* version) override {
        *version = 104019;
        return S_OK;
    }

private:
    TStubApplicationWindows FWindows;
};

void FillWithSamples(TfrmCorvane& dialog) {
    dialog.SetCaption(u"Verify logbook with LotW user inbox");
    dialog.lbAcct.SetCaption(u"W1AW");
    dialog.lbLog.SetCaption(u"Home station 2024");
    dialog.edLogin.SetText(u"w1aw");
    dialog.edPassword.SetText(u"radio-73");
    dialog.dtLogFrom.SetDate(Toolkit::TDate{2024, 1, 6});
    dialog.dtLogUntil.SetDate(Toolkit::TDate{2024, 11, 30});
    dialog.MsgProgress(0, u"* Use: https://lotw.arrl.org/lotwuser/lotwreport.adi", true);
    dialog.MsgProgress(1, u"Clear \"LotW/S\" mark for 412 records in logbook", true);
    dialog.MsgProgress(1, u"Most recent QSO uploaded at 11/30/24 18:42", true);
    dialog.MsgProgress(1, u"Received 5890 lines (405 records) from inbox", true);
    dialog.ShowProgress(0.62L);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: renderform <output.png>\n");
        return 2;
    }
#if !defined(_WIN32)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    try {
        // Activation asks for host services the stub core lacks; the samples replace what it
        // would have shown, so its error is of no interest here.
        Toolkit::Application().SetOnException([](const std::u16string&) {});
        TStubCore core;
        TfrmCorvane dialog(&core, {});
        dialog.Show();
        Toolkit::Application().ProcessMessages();
        FillWithSamples(dialog);
        dialog.SaveImage(Platform::FromAnsiCodePage(argv[1]));
    } catch (...) {
        const std::u16string message =
            Toolkit::TApplication::ExceptionMessage(std::current_exception());
        std::fprintf(stderr, "renderform: %s\n", Platform::ToAnsiCodePage(message).c_str());
        return 1;
    }
    return 0;
}
