// "Vargaze Setup" driven through its widgets; the checks and limits
// themselves are tested on the engine model.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "app/SetupDialog.h"
#include "gui/FileChooser.h"
#include "gui/SetupDialog.h"
#include "gui/SetupMenu.h"
#include "support/GuiApp.h"

namespace vargaze::test {
namespace {

void clickOk(QWidget* window) {
  for (QPushButton* b : window->findChildren<QPushButton*>())
    if (b->text() == "OK") return QTest::mouseClick(b, Qt::LeftButton);
  ADD_FAILURE() << "no OK button";
}

struct SetupWindow : ::testing::Test, GuiApp {
  SetupForm form{app->roiWindow};
  std::unique_ptr<SetupDialog> dialog;

  void open() {
    form.FormShow();
    dialog = std::make_unique<SetupDialog>(form);
  }
  template <class Widget = QLineEdit>
  Widget* control(const char* name) {
    return dialog->findChild<Widget*>(name);
  }
  void type(const char* field, const QString& text) {
    control(field)->selectAll();
    QTest::keyClicks(control(field), text);
  }
};

TEST_F(SetupWindow, CommaInElectronsStopsBeforeEveryLaterField) {
  open();
  type("ElectronsEdit", "1,5");
  type("ReadNoiseEdit", "7");
  type("TBedit", "0.1");
  clickOk(dialog.get());
  EXPECT_EQ(script.messages, std::vector<std::string>{"Electrons/ Unit incorrect"});
  const Settings& s = app->settings;
  EXPECT_EQ(std::vector({s.ElectronsPerCount, s.ReadnoiseElectrons, s.TF_Tb}),
            std::vector({2.0, 15.0, 99.0}));  // as before
  EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(SetupWindow, StarBoxOfNineRaisesTheRingMinima) {
  open();
  auto* star = control<QSpinBox>("ROIsizeSpinEdit");
  auto* inner = control<QSpinBox>("BGinnerEdit");
  auto* outer = control<QSpinBox>("BGouterEdit");
  star->setValue(5), inner->setValue(7), outer->setValue(9);
  ASSERT_EQ(std::vector({inner->minimum(), outer->minimum()}), std::vector({7, 9}));
  star->setValue(9);
  EXPECT_EQ(std::vector({inner->minimum(), inner->value(), outer->minimum(), outer->value()}),
            std::vector({11, 11, 13, 13}));
}

TEST_F(SetupWindow, BinningTwoStoresTwiceTheScaleAndShowsItBack) {
  open();
  control<QSpinBox>("BinningEdit")->setValue(2);
  type("pixelsizeEdit", "1.5");
  clickOk(dialog.get());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(app->settings.ArcsecPerPixel, 3.0);
  open();
  EXPECT_EQ(control("pixelsizeEdit")->text(), "1.50");
}

TEST_F(SetupWindow, SavingTheSetupWritesTheNamedCopy) {
  ScriptedFileChooser chooser;
  const std::string copy = dir.file("abend.cfg");
  chooser.answers = {{copy}};
  script.answers = {UiPort::Answer::Yes};
  QTimer::singleShot(0, [] { clickOk(QApplication::activeModalWidget()); });
  EXPECT_EQ(runSetupCommand(nullptr, *app, chooser), "CFG-Datei=abend.cfg");
  EXPECT_EQ(script.questions, std::vector<std::string>{"Setup speichern?"});
  EXPECT_EQ(chooser.titles, std::vector<std::string>{"Einstellungen speichern"});
  EXPECT_NE(readBytes(copy).find("Cfgfilename=abend.cfg"), std::string::npos);
}

}  // namespace
}  // namespace vargaze::test
