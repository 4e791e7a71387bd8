// The ROI window on the demo project, driven through its controls: the table
// equals the command line's, a larger star box counts more, "Erase" asks and
// removes, "Set" asks for the star information, "SNR+" needs an airmass.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include "app/MainWindow.h"
#include "demo/DemoWriter.h"
#include "gui/RoiWindowWidget.h"
#include "support/CliRunner.h"
#include "support/GuiApp.h"
#include "support/Lines.h"

namespace vargaze::test {
namespace {

class RoiWindowWidgetTest : public ::testing::Test, protected GuiApp {
 protected:
  RoiWindowWidgetTest() {
    demo::writeDemoSeries({.frames = 2}, dir.path().string());
    window.show();  // shown from the start, as in the program
    app->openProject(dir.file(demo::kProjectFileName), false);
    window.refresh();
  }
  QString cell(int row, int column) const {
    return window.table()->model()->index(row, column).data().toString();
  }
  template <class Widget>
  Widget* control(const char* name) const { return window.findChild<Widget*>(name); }
  QPushButton* button(const char* name) const { return control<QPushButton>(name); }

  RoiWindowWidget window{*app};
};

TEST_F(RoiWindowWidgetTest, TableEqualsTheCommandLineTable) {
  const CliResult cli = runCli("table " + quoted(dir.file("demo_001.fit")) + " --roi " +
                                   quoted(dir.file(demo::kRoiFileName)), dir);
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  const std::vector<std::string> lines = splitLines(cli.out);
  const int rois = window.table()->model()->rowCount();
  ASSERT_EQ(lines.size(), std::size_t(rois) + 3) << cli.out;  // header, rows, Magcal, Sky
  ASSERT_GE(rois, 5);
  for (int row = 0; row < rois; ++row) {
    QStringList cells;
    for (int c = 0; c < kRoiTableColumns; ++c) cells << cell(row, c);
    EXPECT_EQ(cells.join(';').toStdString(), lines[std::size_t(row) + 1]);
  }
  EXPECT_EQ("Magcal=" + control<QLineEdit>("MagCalEdit")->text().toStdString(),
            lines[std::size_t(rois) + 1]);
}

TEST_F(RoiWindowWidgetTest, ALargerStarBoxCountsMoreAndRaisesTheRingMinimum) {
  auto* star = control<QSpinBox>("ROIsizeEdit");
  const int size = star->value();
  const double counts = cell(0, 1).toDouble();
  star->stepUp();
  EXPECT_EQ(app->roiWindow.ROIsizeEdit.value, size + 2);
  MainWindowModel main(*app);
  EXPECT_TRUE(main.Timer1Timer());  // the main window's timer measures
  window.refresh();
  EXPECT_GT(cell(0, 1).toDouble(), counts);  // more sky pixels at least
  EXPECT_EQ(control<QSpinBox>("BGinnerEdit")->minimum(), size + 4);
}

TEST_F(RoiWindowWidgetTest, ButtonsForwardSetEraseAndSnrPlus) {
  QSignalSpy changed(&window, &RoiWindowWidget::roisChanged);
  QSignalSpy starInfo(&window, &RoiWindowWidget::starInfoRequested);
  const int rois = window.table()->model()->rowCount();
  window.table()->selectRow(2);
  EXPECT_EQ(control<QSpinBox>("RefstarEdit")->value(), 3);
  button("SetRefButton")->click();
  ASSERT_EQ(starInfo.count(), 1);
  EXPECT_EQ(starInfo.at(0).at(0).toInt(), 3);
  button("ROIclearBtn")->click();  // the script answers "Ja"
  EXPECT_EQ(script.questions, std::vector<std::string>{"Markierung ROI 3 löschen?"});
  EXPECT_EQ(window.table()->model()->rowCount(), rois - 1);
  EXPECT_GE(changed.count(), 2);
  auto* airmass = control<QLineEdit>("AirmassEdit");
  auto* snr = button("SNRButton");
  ASSERT_FALSE(airmass->text().isEmpty());  // the demo frames give one
  airmass->selectAll();
  QTest::keyClick(airmass, Qt::Key_Backspace);
  snr->click();
  EXPECT_EQ(script.messages, std::vector<std::string>{"Bitte Airmass(Luftmasse) eintragen"});
  EXPECT_FALSE(snr->isChecked());
  QTest::keyClicks(airmass, "1.3");
  answerNextDialog([](QWidget* dialog) { buttonLabelled(dialog, "Use data")->click(); });
  snr->click();
  EXPECT_TRUE(snr->isChecked() && app->roiWindow.snr.SNRspecial);
  EXPECT_EQ(snr->palette().color(QPalette::ButtonText), QColor(Qt::red));
}

}  // namespace
}  // namespace vargaze::test
