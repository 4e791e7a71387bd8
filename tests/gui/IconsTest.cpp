// Icons come from the installed theme and the program's own resources; both
// fail quietly (a null icon) when packaging goes wrong.
#include "gui/Icons.h"

#include <gtest/gtest.h>

#include <QImage>

namespace vargaze {
namespace {

TEST(IconsTest, ThemeIconsAndTheProgramIconRender) {
  for (const char* name : {"document-open", "document-save", "media-playback-start", "zoom-in"})
    EXPECT_FALSE(themedIcon(name).isNull()) << name;
  EXPECT_TRUE(themedIcon("no-such-icon-anywhere").isNull());
  // The program icon is drawn, not blank: its corner is transparent and its
  // centre is not.
  const QImage icon = programIcon().pixmap(64, 64).toImage();
  ASSERT_EQ(icon.size(), QSize(64, 64));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255);
}

}  // namespace
}  // namespace vargaze
