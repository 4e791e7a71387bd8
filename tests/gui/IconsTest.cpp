// Icons come from the installed theme and the program's own resources; both
// fail quietly (a null icon) when packaging goes wrong.
#include "gui/Icons.h"

#include <gtest/gtest.h>

#include <QImage>

namespace vargaze {
namespace {

TEST(IconsTest, ThemeIconsAndTheProgramIconRender) {
  EXPECT_FALSE(themedIcon("document-open").isNull());
  EXPECT_TRUE(themedIcon("no-such-icon-anywhere").isNull());
  // Drawn, not blank: a transparent corner and an opaque centre.
  const QImage icon = programIcon().pixmap(64, 64).toImage();
  ASSERT_EQ(icon.size(), QSize(64, 64));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255);
}

}  // namespace
}  // namespace vargaze
