#include "Base/FormatText.h"

#include "Base/Exceptions.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatText, RefusesPlaceholdersItCannotFill) {
    EXPECT_THROW(FormatText(u"%s", {42}), EConvertError);
    EXPECT_THROW(FormatText(u"%d", {u"text"}), EConvertError);
    EXPECT_THROW(FormatText(u"%s and %s", {u"one"}), EConvertError);
    EXPECT_THROW(FormatText(u"%x", {1}), EConvertError);
    EXPECT_THROW(FormatText(u"50%", {}), EConvertError);
}

} // namespace
