#include "Toolkit/Form.h"

#include "Base/Exceptions.h"
#include "Toolkit/Application.h"
#include "Toolkit/FormBackend.h"

namespace Toolkit {

TForm::TForm(const TFormDescriptor& layout) : FBackend(CreateFormBackend(*this, layout)) {
    Application().AddForm(*this);
    FBackend->ApplyCursor(Application().Cursor());
}

TForm::~TForm() {
    Application().RemoveForm(*this);
    FBackend.reset();
}

std::u16string TForm::Caption() const {
    return FBackend->Caption();
}

void TForm::SetCaption(std::u16string_view caption) {
    FBackend->SetCaption(caption);
}

TModalResult TForm::ShowModal() {
    if (FModal || Visible())
        throw EInvalidOperation(u"Cannot make a visible window modal");
    FModalResult = mrNone;
    FCloseDeferred = false;
    FModal = true;
    struct TModalEnd {
        TForm& Form;
        ~TModalEnd() {
            Form.FModal = false;
            Form.FBackend->Hide();
        }
    } modalEnd{*this};

    FBackend->Show(true);
    for (;;) {
        Application().HandleMessage();
        if (FModalResult != mrNone && FHandlerDepth == 0) {
            CloseNow();
            if (FModalResult != mrNone)
                return FModalResult;
        }
    }
}

void TForm::Show() {
    FBackend->Show(false);
}

void TForm::Hide() {
    FBackend->Hide();
}

bool TForm::Visible() const {
    return FBackend->Visible();
}

void TForm::SetModalResult(TModalResult result) {
    FModalResult = result;
    if (result != mrNone)
        Application().WakeUp();
}

void TForm::Close() {
    if (FModal)
        SetModalResult(mrCancel);
    else if (FHandlerDepth > 0)
        FCloseDeferred = true;
    else
        CloseNow();
}

HWND TForm::Handle() const {
    return FBackend->Handle();
}

void TForm::SaveImage(std::u16string_view path) const {
    if (!FBackend->SaveImage(path))
        throw EFCreateError(u"Cannot create file \"" + std::u16string(path) + u"\"");
}

TControl& TForm::FindControl(std::u16string_view name) const {
    if (TControl* control = FBackend->FindControl(name))
        return *control;
    throw EComponentError(u"Control '" + std::u16string(name) + u"' not found");
}

void TForm::RaiseWrongKind(std::u16string_view name) {
    throw EComponentError(u"Control '" + std::u16string(name) + u"' is of another kind");
}

void TForm::RunHandler(const std::function<void()>& handler) {
    if (!handler)
        return;
    ++FHandlerDepth;
    try {
        handler();
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    --FHandlerDepth;
    if (FHandlerDepth == 0 && FCloseDeferred)
        CloseNow();
}

void TForm::ApplyCursor(TCursor cursor) {
    FBackend->ApplyCursor(cursor);
}

void TForm::NotifyShow() {
    RunHandler([this] { DoShow(); });
}

void TForm::NotifyActivate() {
    RunHandler([this] { DoActivate(); });
}

void TForm::CloseNow() {
    FCloseDeferred = false;
    TCloseAction action = TCloseAction::Hide;
    ++FHandlerDepth;
    try {
        DoClose(action);
    } catch (...) {
        // A failing close handler keeps the form open, as a refusal does.
        action = TCloseAction::None;
        Application().HandleException(std::current_exception());
    }
    --FHandlerDepth;
    FCloseDeferred = false;
    if (action == TCloseAction::None)
        FModalResult = mrNone;
    else if (!FModal)
        FBackend->Hide();
}

} // namespace Toolkit
