#include "Toolkit/Align.h"

#include <algorithm>
#include <numeric>

namespace Toolkit {

namespace {

// The height of a group's caption line at 96 DPI: its children's free area starts below it.
constexpr int GroupCaptionHeight = 17;

constexpr TAlign PlacingOrder[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right,
                                   TAlign::Client};

// True when `a` lies further out than `b` on the edge both are aligned to.
bool IsOuter(TAlign align, const TRect& a, const TRect& b) {
    switch (align) {
    case TAlign::Top:
        return a.Top < b.Top;
    case TAlign::Bottom:
        return a.Bottom() > b.Bottom();
    case TAlign::Left:
        return a.Left < b.Left;
    case TAlign::Right:
        return a.Right() > b.Right();
    default:
        return false;
    }
}

// Places one control in `free` and takes its strip away from `free`.
TRect Place(const TControlDescriptor& control, TRect& free) {
    const TMargins& m = control.Margins;
    const int across = std::max(0, free.Width - m.Left - m.Right);
    const int down = std::max(0, free.Height - m.Top - m.Bottom);
    TRect place;
    switch (control.Align) {
    case TAlign::Top:
        place = {free.Left + m.Left, free.Top + m.Top, across, control.Bounds.Height};
        free.Top += m.Top + place.Height + m.Bottom;
        free.Height = std::max(0, free.Height - (m.Top + place.Height + m.Bottom));
        break;
    case TAlign::Bottom:
        place = {free.Left + m.Left, free.Bottom() - m.Bottom - control.Bounds.Height, across,
                 control.Bounds.Height};
        free.Height = std::max(0, free.Height - (m.Top + place.Height + m.Bottom));
        break;
    case TAlign::Left:
        place = {free.Left + m.Left, free.Top + m.Top, control.Bounds.Width, down};
        free.Left += m.Left + place.Width + m.Right;
        free.Width = std::max(0, free.Width - (m.Left + place.Width + m.Right));
        break;
    case TAlign::Right:
        place = {free.Right() - m.Right - control.Bounds.Width, free.Top + m.Top,
                 control.Bounds.Width, down};
        free.Width = std::max(0, free.Width - (m.Left + place.Width + m.Right));
        break;
    case TAlign::Client:
        place = {free.Left + m.Left, free.Top + m.Top, across, down};
        break;
    case TAlign::None:
        place = control.Bounds;
        break;
    }
    return place;
}

} // namespace

TMargins FreeAreaInset(const TControlDescriptor& control) {
    TMargins inset;
    if (control.Frame == TFrame::ThinSunken)
        inset = {1, 1, 1, 1};
    else if (control.Frame == TFrame::Framed)
        inset = {2, 2, 2, 2};
    if (control.Kind == TControlKind::Group)
        inset.Top = std::max(inset.Top, GroupCaptionHeight);
    return inset;
}

std::vector<TRect> AlignControls(TRect parentSize, TMargins inset,
                                 std::span<const TControlDescriptor* const> children) {
    std::vector<TRect> places(children.size());
    TRect free{inset.Left, inset.Top, std::max(0, parentSize.Width - inset.Left - inset.Right),
               std::max(0, parentSize.Height - inset.Top - inset.Bottom)};

    std::vector<std::size_t> order(children.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (TAlign align : PlacingOrder) {
        std::vector<std::size_t> group;
        std::copy_if(order.begin(), order.end(), std::back_inserter(group),
                     [&](std::size_t i) { return children[i]->Align == align; });
        std::stable_sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
            return IsOuter(align, children[a]->Bounds, children[b]->Bounds);
        });
        for (std::size_t i : group)
            places[i] = Place(*children[i], free);
    }
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i]->Align == TAlign::None)
            places[i] = children[i]->Bounds;
    return places;
}

std::vector<TRect> PlaceLayout(const TFormDescriptor& layout) {
    const std::span<const TControlDescriptor> controls = layout.Controls;
    std::vector<TRect> places(controls.size());
    // Parents come before their children, so each parent's size is final when its children
    // are placed.
    auto placeChildren = [&](std::u16string_view parent, TRect size, TMargins inset) {
        std::vector<const TControlDescriptor*> children;
        std::vector<std::size_t> indexes;
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].Parent == parent) {
                children.push_back(&controls[i]);
                indexes.push_back(i);
            }
        const std::vector<TRect> childPlaces = AlignControls(size, inset, children);
        for (std::size_t i = 0; i < childPlaces.size(); ++i)
            places[indexes[i]] = childPlaces[i];
    };
    placeChildren(u"", TRect{0, 0, layout.ClientWidth, layout.ClientHeight}, TMargins{});
    for (std::size_t i = 0; i < controls.size(); ++i)
        placeChildren(controls[i].Name, TRect{0, 0, places[i].Width, places[i].Height},
                      FreeAreaInset(controls[i]));
    return places;
}

} // namespace Toolkit
