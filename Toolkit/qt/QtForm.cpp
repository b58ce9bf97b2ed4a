// The Qt backend of a form: a top-level TFormWindow with one widget per control descriptor.
// Places come from the alignment rules (Toolkit/Align.h); Qt object names are the control names.
#include "Base/Exceptions.h"
#include "Platform/qt/WindowHandle.h"
#include "Toolkit/Align.h"
#include "Toolkit/Application.h"
#include "Toolkit/FocusOrder.h"
#include "Toolkit/FormBackend.h"
#include "Toolkit/qt/QtControls.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <map>
#include <optional>
#include <vector>

namespace Toolkit::QtBackend {

namespace {

bool Has(const TControlDescriptor& control, TControlFlags flag) {
    return (control.Flags & flag) != 0;
}

void SetColorRole(QWidget& widget, QPalette::ColorRole role, TColor color) {
    if (color == TColor::Default)
        return;
    QPalette palette = widget.palette();
    palette.setColor(role, SystemColor(color));
    widget.setPalette(palette);
}

class TQtFormBackend final : public TFormBackend {
public:
    TQtFormBackend(TForm& form, const TFormDescriptor& layout);
    ~TQtFormBackend() override;

    HWND Handle() override;
    std::u16string Caption() const override { return FromQString(FWindow->windowTitle()); }
    void SetCaption(std::u16string_view caption) override {
        FWindow->setWindowTitle(ToQString(caption));
    }
    void Show(bool modal) override;
    void Hide() override { FWindow->hide(); }
    bool Visible() const override { return FWindow->isVisible(); }
    TControl* FindControl(std::u16string_view name) const override;
    void ApplyCursor(TCursor cursor) override;
    bool SaveImage(std::u16string_view path) const override {
        return FWindow->grab().save(ToQString(path), "PNG");
    }

private:
    struct TEntry {
        const TControlDescriptor* Descriptor;
        QWidget* Widget;
        std::unique_ptr<TControl> Control;
    };

    void BuildWindow(const TFormDescriptor& layout);
    QWidget* ParentWidget(const TControlDescriptor& control) const;
    TEntry& Build(const TControlDescriptor& control);
    void Place(const TFormDescriptor& layout);
    void LinkFocusChain(const TFormDescriptor& layout);
    void FocusFirstControl();
    void PressButton(TControlFlags flag);
    TEntry* Find(std::u16string_view name);
    const TEntry* Find(std::u16string_view name) const;

    std::unique_ptr<TFormWindow> FWindow;
    std::vector<TEntry> FControls;
    std::vector<QWidget*> FFocusChain;
    TFormPosition FPosition = TFormPosition::Designed;
    bool FPlaced = false;
    TCursor FCursor = TCursor::Default;
    // The cursors the widgets had of their own before the busy pointer replaced them.
    std::map<QWidget*, std::optional<QCursor>> FOwnCursors;
};

TQtFormBackend::TQtFormBackend(TForm& form, const TFormDescriptor& layout) : TFormBackend(form) {
    Application();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        throw EInvalidOperation(u"The application cannot show windows");
    BuildWindow(layout);
    FControls.reserve(layout.Controls.size());
    for (const TControlDescriptor& control : layout.Controls) {
        if (Find(control.Name) != nullptr)
            throw EComponentError(u"A control named '" + std::u16string(control.Name) +
                                  u"' already exists");
        Build(control);
    }
    Place(layout);
    LinkFocusChain(layout);
}

TQtFormBackend::~TQtFormBackend() {
    // No event of the dying widgets reaches the form any more.
    for (TEntry& entry : FControls)
        entry.Widget->blockSignals(true);
    FControls.clear();
}

void TQtFormBackend::BuildWindow(const TFormDescriptor& layout) {
    FWindow = std::make_unique<TFormWindow>(
        [this] { Form().RunHandler([this] { Form().Close(); }); },
        [this] { PressButton(cfCancel); }, [this] { PressButton(cfDefault); });
    FWindow->setObjectName(ToQString(layout.Name));
    if (layout.BorderStyle == TBorderStyle::Dialog) {
        FWindow->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint);
        FWindow->setFixedSize(layout.ClientWidth, layout.ClientHeight);
    } else {
        FWindow->setWindowFlags(Qt::Window);
        FWindow->resize(layout.ClientWidth, layout.ClientHeight);
    }
    // Layouts are designed for a narrow face; where it is missing, a condensed face keeps the
    // designed text widths closer than the platform's ordinary sans serif would.
    QFont font;
    font.setFamilies({ToQString(layout.FontName), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow")});
    if (layout.FontHeight > 0)
        font.setPixelSize(layout.FontHeight);
    FWindow->setFont(font);
    SetColorRole(*FWindow, QPalette::WindowText, layout.FontColor);
    SetColorRole(*FWindow, QPalette::Window, layout.Color);
    FWindow->setAutoFillBackground(true);
    FPosition = layout.Position;
}

QWidget* TQtFormBackend::ParentWidget(const TControlDescriptor& control) const {
    if (control.Parent.empty())
        return FWindow.get();
    const TEntry* parent = Find(control.Parent);
    if (parent == nullptr)
        throw EComponentError(u"The parent '" + std::u16string(control.Parent) + u"' of '" +
                              std::u16string(control.Name) + u"' does not come before it");
    return parent->Widget;
}

TQtFormBackend::TEntry& TQtFormBackend::Build(const TControlDescriptor& control) {
    QWidget* parent = ParentWidget(control);
    std::u16string name(control.Name);
    TForm& form = Form();
    QWidget* widget = nullptr;
    std::unique_ptr<TControl> made;

    switch (control.Kind) {
    case TControlKind::Panel:
    case TControlKind::StatusBar: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(control.Frame == TFrame::None ? QFrame::NoFrame
                                                           : QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(control.Frame == TFrame::Framed ? 2 : 1);
        widget = frame;
        made = std::make_unique<TQtPanel>(std::move(name), frame, form);
        break;
    }
    case TControlKind::Group: {
        auto* group = new TUnderlineGroup(parent, control.Bold);
        group->SetCaption(ToQString(control.Caption));
        widget = group;
        made = std::make_unique<TQtGroup>(std::move(name), group, form);
        break;
    }
    case TControlKind::Label: {
        auto* label = new QLabel(ToQString(control.Caption), parent);
        label->setAlignment((Has(control, cfRightAlignText) ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
        widget = label;
        made = std::make_unique<TQtLabel>(std::move(name), label, form, Has(control, cfAutoSize),
                                          Has(control, cfAnchorRight));
        break;
    }
    case TControlKind::StatusPane: {
        auto* pane = new QLabel(ToQString(control.Caption), parent);
        pane->setFrameStyle(control.Frame == TFrame::None ? QFrame::NoFrame
                                                          : QFrame::Panel | QFrame::Sunken);
        pane->setIndent(2);
        pane->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        widget = pane;
        made = std::make_unique<TQtStatusPane>(std::move(name), pane, form);
        break;
    }
    case TControlKind::ProgressPane: {
        const TColor barColor =
            control.BarColor == TColor::Default ? TColor::ActiveCaption : control.BarColor;
        auto* bar = new TSegmentBar(parent, control.Segments, SystemColor(barColor));
        bar->setFrameStyle(control.Frame == TFrame::None ? QFrame::NoFrame
                                                         : QFrame::Panel | QFrame::Sunken);
        widget = bar;
        made = std::make_unique<TQtProgressPane>(std::move(name), bar, form);
        break;
    }
    case TControlKind::Edit: {
        auto* edit = new QLineEdit(ToQString(control.Caption), parent);
        edit->setFrame(control.Frame != TFrame::None);
        edit->setReadOnly(Has(control, cfReadOnly));
        widget = edit;
        made = std::make_unique<TQtEdit>(std::move(name), edit, form);
        break;
    }
    case TControlKind::CheckBox: {
        auto* box = new QCheckBox(ToQString(control.Caption), parent);
        if (Has(control, cfCaptionLeft))
            box->setLayoutDirection(Qt::RightToLeft);
        widget = box;
        made = std::make_unique<TQtCheckBox>(std::move(name), box, form);
        break;
    }
    case TControlKind::DateField: {
        auto* field = new TDateEdit(parent);
        field->setCalendarPopup(Has(control, cfCalendar));
        field->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
        field->setFrame(control.Frame != TFrame::None);
        widget = field;
        made = std::make_unique<TQtDateField>(std::move(name), field, form);
        break;
    }
    case TControlKind::Memo: {
        auto* memo = new QPlainTextEdit(ToQString(control.Caption), parent);
        memo->setReadOnly(Has(control, cfReadOnly));
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setTabChangesFocus(true);
        const auto scrollBars =
            Has(control, cfScrollBars) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        memo->setVerticalScrollBarPolicy(scrollBars);
        memo->setHorizontalScrollBarPolicy(scrollBars);
        if (control.Frame == TFrame::None)
            memo->setFrameStyle(QFrame::NoFrame);
        widget = memo;
        made = std::make_unique<TQtMemo>(std::move(name), memo, form);
        break;
    }
    case TControlKind::Button: {
        auto* button = new QPushButton(ToQString(control.Caption), parent);
        // Enter presses only a declared default button, never the focused one.
        button->setAutoDefault(false);
        button->setDefault(Has(control, cfDefault));
        widget = button;
        made = std::make_unique<TQtButton>(std::move(name), button, form, control.ModalResult);
        break;
    }
    case TControlKind::Picture: {
        auto* picture = new QLabel(parent);
        QImage image;
        if (!control.Picture.empty())
            image.loadFromData(control.Picture.data(), static_cast<int>(control.Picture.size()));
        picture->setPixmap(QPixmap::fromImage(image));
        picture->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        widget = picture;
        made = std::make_unique<TQtPicture>(std::move(name), picture, form);
        break;
    }
    }

    widget->setObjectName(ToQString(control.Name));
    // A group's bold caption is its own; its children keep the form's font.
    if (control.Bold && control.Kind != TControlKind::Group) {
        QFont bold = widget->font();
        bold.setBold(true);
        widget->setFont(bold);
    }
    SetColorRole(*widget, QPalette::WindowText, control.FontColor);
    SetColorRole(*widget, control.Kind == TControlKind::Memo ? QPalette::Base : QPalette::Window,
                 control.Color);
    widget->setFocusPolicy(CanTakeFocus(control.Kind)
                               ? (control.TabOrder >= 0 ? Qt::StrongFocus : Qt::ClickFocus)
                               : Qt::NoFocus);
    if (Has(control, cfHidden))
        widget->hide();
    return FControls.emplace_back(TEntry{&control, widget, std::move(made)});
}

void TQtFormBackend::Place(const TFormDescriptor& layout) {
    const std::vector<TRect> places = PlaceLayout(layout);
    for (std::size_t i = 0; i < places.size(); ++i)
        FControls[i].Widget->setGeometry(places[i].Left, places[i].Top, places[i].Width,
                                         places[i].Height);
    // Captions that size their labels are applied once the places are known.
    for (TEntry& entry : FControls)
        if (entry.Descriptor->Kind == TControlKind::Label && Has(*entry.Descriptor, cfAutoSize))
            static_cast<TLabel&>(*entry.Control).SetCaption(entry.Descriptor->Caption);
}

void TQtFormBackend::LinkFocusChain(const TFormDescriptor& layout) {
    for (std::size_t index : FocusOrder(layout))
        FFocusChain.push_back(FControls[index].Widget);
    for (std::size_t i = 1; i < FFocusChain.size(); ++i)
        QWidget::setTabOrder(FFocusChain[i - 1], FFocusChain[i]);
}

HWND TQtFormBackend::Handle() {
    FWindow->winId();
    return Platform::HandleOfWindow(FWindow->windowHandle());
}

void TQtFormBackend::Show(bool modal) {
    if (FWindow->isVisible())
        return;
    NotifyShow();
    FWindow->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    FWindow->winId();
    if (QWindow* owner = Platform::WindowOfHandle(Application().ApplicationWindow()))
        FWindow->windowHandle()->setTransientParent(owner);
    if (!FPlaced && FPosition == TFormPosition::ScreenCenter) {
        if (const QScreen* screen = FWindow->windowHandle()->screen()) {
            QRect frame = FWindow->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            FWindow->move(frame.topLeft());
        }
    }
    FPlaced = true;
    FWindow->show();
    FWindow->activateWindow();
    FocusFirstControl();
    QTimer::singleShot(0, FWindow.get(), [this] { NotifyActivate(); });
}

TControl* TQtFormBackend::FindControl(std::u16string_view name) const {
    const TEntry* entry = Find(name);
    return entry == nullptr ? nullptr : entry->Control.get();
}

void TQtFormBackend::ApplyCursor(TCursor cursor) {
    if (cursor == FCursor)
        return;
    FCursor = cursor;
    std::vector<QWidget*> widgets{FWindow.get()};
    for (TEntry& entry : FControls)
        widgets.push_back(entry.Widget);
    if (cursor == TCursor::HourGlass) {
        for (QWidget* widget : widgets) {
            FOwnCursors[widget] = widget->testAttribute(Qt::WA_SetCursor)
                                      ? std::optional<QCursor>(widget->cursor())
                                      : std::nullopt;
            widget->setCursor(Qt::WaitCursor);
        }
        return;
    }
    for (auto& [widget, own] : FOwnCursors) {
        if (own)
            widget->setCursor(*own);
        else
            widget->unsetCursor();
    }
    FOwnCursors.clear();
}

void TQtFormBackend::FocusFirstControl() {
    for (QWidget* widget : FFocusChain)
        if (widget->isEnabled() && widget->isVisibleTo(FWindow.get())) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
}

void TQtFormBackend::PressButton(TControlFlags flag) {
    for (TEntry& entry : FControls)
        if (entry.Descriptor->Kind == TControlKind::Button && Has(*entry.Descriptor, flag)) {
            static_cast<TButton&>(*entry.Control).Click();
            return;
        }
}

TQtFormBackend::TEntry* TQtFormBackend::Find(std::u16string_view name) {
    for (TEntry& entry : FControls)
        if (entry.Descriptor->Name == name)
            return &entry;
    return nullptr;
}

const TQtFormBackend::TEntry* TQtFormBackend::Find(std::u16string_view name) const {
    for (const TEntry& entry : FControls)
        if (entry.Descriptor->Name == name)
            return &entry;
    return nullptr;
}

} // namespace

} // namespace Toolkit::QtBackend

namespace Toolkit {

std::unique_ptr<TFormBackend> CreateFormBackend(TForm& form, const TFormDescriptor& layout) {
    return std::make_unique<QtBackend::TQtFormBackend>(form, layout);
}

} // namespace Toolkit
