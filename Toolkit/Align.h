// Align: where controls aligned to an edge or filling their parent end up.
//
// The parent's free area is its rectangle less the inset its kind keeps (a frame, a group's
// caption line). Aligned controls are placed in the order top, bottom, left, right, client;
// among controls of one alignment the outermost (as their designed rectangles show) goes first.
// Each takes its strip, with its margins, from what is still free. Pure computation.
#pragma once

#include "Toolkit/Layout.h"

#include <span>
#include <vector>

namespace Toolkit {

// The inset between a control of this description and its children's free area.
TMargins FreeAreaInset(const TControlDescriptor& control);

// The realised place of each of `children` (same order) inside a parent of `parentSize`
// (width and height of a TRect at 0, 0) whose free area is inset by `inset`. Controls without
// an alignment keep their designed rectangles.
std::vector<TRect> AlignControls(TRect parentSize, TMargins inset,
                                 std::span<const TControlDescriptor* const> children);

// The realised place of every control of `layout`, in the order of its table, each relative to
// its parent. Every parent must come before its children.
std::vector<TRect> PlaceLayout(const TFormDescriptor& layout);

} // namespace Toolkit
