// "Stern-Info" and the star finder on the demo project, driven through their
// widgets; the dialogs' arithmetic itself is tested on the engine models.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>

#include "demo/DemoWriter.h"
#include "gui/ProgressDialog.h"
#include "gui/StarFinderWindow.h"
#include "gui/StarInfoWindow.h"
#include "support/GuiApp.h"

namespace vargaze::test {
namespace {

const demo::DemoOptions kDemo{.frames = 2};

class PhotometryDialogs : public ::testing::Test, protected GuiApp {
 protected:
  PhotometryDialogs() {
    demo::writeDemoSeries(kDemo, dir.path().string());
    app->openProject(dir.file(demo::kProjectFileName), false);
  }
  RoiWindow& rois() { return app->roiWindow; }

  // Runs `answer` on "Stern-Info" once showStarInfo has opened it.
  bool starInfo(std::int32_t roi, std::function<void(StarInfoWindow&)> answer) {
    app->starInfo.prepare(rois(), roi, rois().roi(roi).starType(), "", "");
    answerNextDialog([answer](QWidget* dialog) { answer(*qobject_cast<StarInfoWindow*>(dialog)); });
    return showStarInfo(nullptr, *app);
  }

  std::int32_t findStars(StarFinderWindow& finder) {
    QTimer::singleShot(0, [&finder] { finder.startButton()->click(); });
    return finder.run();
  }
};

void type(QLineEdit* field, const QString& text) {
  QTest::mouseClick(field, Qt::LeftButton);
  field->selectAll();
  QTest::keyClicks(field, text);
}

bool marked(const RoiWindow& rois, double x, double y) {
  for (const TRoi1& r : rois.ROIlist)
    if (std::hypot(r.xa - x, r.ya - y) <= 1.5) return true;
  return false;
}

TEST_F(PhotometryDialogs, StarInfoStoresATypedComparisonAndConvertsTychoFigures) {
  ASSERT_EQ(rois().roi(1).starType(), kStarVar);  // the demo's variable
  EXPECT_TRUE(starInfo(1, [](StarInfoWindow& w) {
    EXPECT_FALSE(w.field("Vj")->isEnabled());  // no magnitudes for a variable
    w.starTypeGroup()->button(1)->click();
    type(w.field("Vj"), "11.200");
    buttonLabelled(&w, "OK")->click();
  }));
  EXPECT_TRUE(rois().roi(1).rmag == 11.2f && rois().bvri(1).Vmag == 11.2f);
  EXPECT_TRUE(rois().table1.cell(1, 5).ends_with("*")) << rois().table1.cell(1, 5);
  EXPECT_TRUE(script.messages.empty());
  const float catalogueB = rois().bvri(2).Bmag;
  std::vector<std::string> shown;  // Bj, Vj, Bj-Vj after each step
  EXPECT_FALSE(starInfo(2, [&](StarInfoWindow& w) {
    const auto show = [&] {
      for (const char* f : {"Bj", "Vj", "Bj-Vj"}) shown.push_back(w.field(f)->text().toStdString());
    };
    type(w.field("Bt"), "10.0");
    type(w.field("Vt"), "9.5");
    buttonLabelled(&w, "Tyc->John.")->click();
    show();
    type(w.field("Bj"), "10.000");  // the one of B and B-V typed last holds, the other follows
    show();
    type(w.field("Bj-Vj"), "0.500");
    show();
    w.reject();
  }));
  // B = 10.0 - 0.24 * 0.5, V = 9.5 - 0.09 * 0.5; then B - V and V + (B - V).
  EXPECT_EQ(shown, (std::vector<std::string>{"9.880", "9.455", "0.425", "10.000", "9.455", "0.545",
                                             "9.955", "9.455", "0.500"}));
  EXPECT_EQ(rois().bvri(2).Bmag, catalogueB);  // cancelled: nothing stored
}

TEST_F(PhotometryDialogs, StarFinderMarksTheNamedStarsWhereverItIsAskedToLook) {
  const demo::DemoDesign design = demo::makeDemoDesign(kDemo);
  StarFinderWindow finder(*app, ui);
  app->clearRois();
  const std::int32_t found = findStars(finder);
  EXPECT_EQ(rois().count(), found);
  EXPECT_EQ(script.messages.back(), std::to_string(found) + " Sterne gefunden");
  for (const demo::NamedStar& star : design.named)
    EXPECT_TRUE(marked(rois(), star.x, star.y)) << star.name;
  const std::vector<TRoi1> all = rois().ROIlist;
  // "Abbruch" halfway keeps the ROIs of the rows searched: the whole search's first ones.
  app->clearRois();
  QTimer halfway;
  QObject::connect(&halfway, &QTimer::timeout, [&] {
    const ProgressWindow& bar = ui.progressWindow().model();
    if (finder.searching() && bar.position > bar.maximum / 2) finder.cancelButton()->click();
  });
  halfway.start(0);
  const std::int32_t partial = findStars(finder);
  halfway.stop();
  EXPECT_TRUE(partial > 0 && partial < found) << partial << " of " << found;
  ASSERT_EQ(rois().count(), partial);
  for (std::int32_t i = 1; i <= partial; ++i)
    EXPECT_TRUE(rois().roi(i).xa == all[i - 1].xa && rois().roi(i).ya == all[i - 1].ya) << i;
  // A rectangle drawn at 50 % zoom is searched where it lies on the image.
  app->clearRois();
  app->settings.ZoomFactor = 0.5;
  const demo::NamedStar& variable = design.named[demo::kVariable];
  const int left = static_cast<int>(variable.x) - 30, top = static_cast<int>(variable.y) - 30;
  app->imageView.Rect1 = ScreenRect{left / 2, top / 2, (left + 60) / 2, (top + 60) / 2};
  EXPECT_GT(findStars(finder), 0);
  EXPECT_TRUE(marked(rois(), variable.x, variable.y));
  for (const TRoi1& r : rois().ROIlist)
    EXPECT_TRUE(r.xa > left && r.xa <= left + 61 && r.ya > top && r.ya <= top + 61)
        << r.xa << "," << r.ya;
}

}  // namespace
}  // namespace vargaze::test
