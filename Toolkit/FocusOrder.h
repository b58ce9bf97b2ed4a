// FocusOrder: which controls of a layout take the keyboard focus, and in which order Tab visits
// them.
//
// Input controls (edits, check boxes, date fields, memos, buttons) can take the focus; Tab
// visits those with a tab order of 0 or more. Within a parent, controls go by their tab order
// (equal orders keep the table's order); a container with a tab order brings its children in
// at its place. Pure computation.
#pragma once

#include "Toolkit/Layout.h"

#include <cstddef>
#include <vector>

namespace Toolkit {

bool CanTakeFocus(TControlKind kind);

// The indexes into `layout`'s table of the controls Tab visits, in the order it visits them.
std::vector<std::size_t> FocusOrder(const TFormDescriptor& layout);

} // namespace Toolkit
