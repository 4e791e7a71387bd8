// The Qt user-interface port: scripted answers, the real message box with its
// German buttons, and the progress window a command drives.
#include "gui/QtUi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "gui/ProgressDialog.h"

namespace vargaze {
namespace {

TEST(QtUiTest, ScriptRecordsTextsAndAnswersInOrderThenYes) {
  QtUi ui;
  UiScript script;
  script.answers = {UiPort::Answer::No, UiPort::Answer::Cancel};
  ui.setScript(&script);
  ui.showMessage("Datei kann nicht geladen werden");
  EXPECT_FALSE(ui.askYesNo("A?"));
  EXPECT_EQ(ui.askYesNoCancel("B?"), UiPort::Answer::Cancel);
  EXPECT_TRUE(ui.askYesNo("C?"));
  EXPECT_EQ(script.messages, std::vector<std::string>{"Datei kann nicht geladen werden"});
  EXPECT_EQ(script.questions, (std::vector<std::string>{"A?", "B?", "C?"}));
}

TEST(QtUiTest, QuestionBoxOffersJaNeinAbbrechen) {
  QtUi ui;
  QStringList seen;  // title, text, then the buttons
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen << box->windowTitle() << box->text();
    for (QAbstractButton* b : box->buttons()) seen << b->text();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == "Nein") b->click();
  });
  EXPECT_EQ(ui.askYesNoCancel("Projekt überschreiben?"), UiPort::Answer::No);
  ASSERT_EQ(seen.size(), 5);
  std::sort(seen.begin() + 2, seen.end());
  EXPECT_EQ(seen, (QStringList{"VARGAZE", "Projekt überschreiben?", "Abbrechen", "Ja", "Nein"}));
}

TEST(QtUiTest, ProgressWindowFillsInStepsAndRecordsTheCancelClick) {
  QtUi ui;
  ui.progressStart(10, "", "");
  ProgressDialog& window = ui.progressWindow();
  EXPECT_EQ(window.windowTitle(), "Processing Status");
  EXPECT_FALSE(window.cancelButton()->isVisible());
  EXPECT_EQ(window.bar()->value(), 1);  // one step of eleven at once
  for (int i = 0; i < 10; ++i) ui.progressStep();
  EXPECT_EQ(window.bar()->value(), window.bar()->maximum());
  ui.progressStop();
  EXPECT_FALSE(window.isVisible());

  ui.progressStart(3, "Lichtkurve", "Stop");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Lichtkurve");
  EXPECT_EQ(window.cancelButton()->text(), "Stop");
  EXPECT_FALSE(ui.cancelRequested());
  window.cancelButton()->click();
  EXPECT_TRUE(ui.cancelRequested());
}

}  // namespace
}  // namespace vargaze
