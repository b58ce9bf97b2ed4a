// uCorvaneLayout: the verification dialog's form resource and its logo picture.
#pragma once

#include "Toolkit/Layout.h"

#include <cstdint>
#include <span>

// The dialog's layout: client area 394 x 260 at 96 DPI and every control of the dialog.
extern const Toolkit::TFormDescriptor TFRMCORVANE;

// The logo shown in the button column: a PNG image of 80 x 68 pixels.
extern const std::span<const std::uint8_t> CorvaneLogoPng;
