#include "Toolkit/FocusOrder.h"

#include <algorithm>

namespace Toolkit {

namespace {

void CollectFocusOrder(std::span<const TControlDescriptor> controls, std::u16string_view parent,
                       std::vector<std::size_t>& order) {
    std::vector<std::size_t> children;
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].Parent == parent && controls[i].TabOrder >= 0)
            children.push_back(i);
    std::stable_sort(children.begin(), children.end(), [&](std::size_t a, std::size_t b) {
        return controls[a].TabOrder < controls[b].TabOrder;
    });
    for (std::size_t child : children) {
        if (CanTakeFocus(controls[child].Kind))
            order.push_back(child);
        CollectFocusOrder(controls, controls[child].Name, order);
    }
}

} // namespace

bool CanTakeFocus(TControlKind kind) {
    switch (kind) {
    case TControlKind::Edit:
    case TControlKind::CheckBox:
    case TControlKind::DateField:
    case TControlKind::Memo:
    case TControlKind::Button:
        return true;
    default:
        return false;
    }
}

std::vector<std::size_t> FocusOrder(const TFormDescriptor& layout) {
    std::vector<std::size_t> order;
    CollectFocusOrder(layout.Controls, u"", order);
    return order;
}

} // namespace Toolkit
