// The small windows driven as a user would: the Qt port's message box and
// progress window, the auxiliary dialogs run modally and answered by clicks,
// the header window, and the icons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "gui/ColourChoiceDialog.h"
#include "gui/FileChooser.h"
#include "gui/FileListDialog.h"
#include "gui/FitsHeaderWindow.h"
#include "gui/Icons.h"
#include "gui/ProgressDialog.h"
#include "gui/QtUi.h"
#include "image/FitsHeader.h"
#include "support/GuiApp.h"

namespace vargaze::test {
namespace {

TEST(DialogsTest, HeaderWindowShowsTheRowsUpToEnd) {
  FitsHeader header;
  header.fillBlank();
  header.setCard(1, "OBJECT  = 'M 31/And'  / a slash in the value");
  header.setCard(2, "END");
  header.setCard(3, "LATER   = 1");  // after END: not listed
  FitsHeaderWindow window;
  window.load(header);
  const QTableWidget& t = *window.table();
  EXPECT_EQ(window.windowTitle(), "FITS Info");
  EXPECT_EQ(t.horizontalHeaderItem(2)->text(), "Kommentar");
  ASSERT_EQ(t.rowCount(), 2);
  EXPECT_EQ(QStringList({t.item(0, 0)->text(), t.item(0, 1)->text(), t.item(0, 2)->text()}),
            QStringList({"OBJECT", "'M 31/And'", " a slash in the value"}));
  EXPECT_FALSE(t.item(0, 1)->flags() & Qt::ItemIsEditable);
  window.clear();
  EXPECT_EQ(t.item(0, 1), nullptr);
}

TEST(DialogsTest, FileListAddsOnlyNewFilesAndKeepsLinesUnlessSaved) {
  for (const char* close : {"Save changes", "Cancel"}) {
    ScriptedFileChooser chooser;
    chooser.answers = {{"/obs/a.fit", "/obs/c.fit"}};
    std::vector<std::string> lines = {"/obs/a.fit", "/obs/b.fit"};
    QString shown;
    answerNextDialog([&](QWidget* dialog) {
      buttonLabelled(dialog, "Add files")->click();
      shown = dialog->findChild<QPlainTextEdit*>()->toPlainText();
      buttonLabelled(dialog, close)->click();
    });
    const bool saved = editFileList(nullptr, chooser, lines);
    EXPECT_EQ(shown, "/obs/a.fit\n/obs/b.fit\n/obs/c.fit");
    EXPECT_EQ(chooser.titles, std::vector<std::string>{"Select files"});
    EXPECT_EQ(saved, close == std::string("Save changes"));
    EXPECT_EQ(lines.size(), saved ? 3u : 2u);
  }
  ScriptedFileChooser chooser;  // typing becomes the lines
  FileListDialog dialog(chooser, {"/obs/a.fit"});
  EXPECT_FALSE(dialog.model().Changed);
  dialog.editor()->setPlainText("/obs/x.fit\n\n/obs/y.fit\n");
  EXPECT_TRUE(dialog.model().Changed);
  EXPECT_EQ(dialog.model().lines(), (std::vector<std::string>{"/obs/x.fit", "", "/obs/y.fit"}));
}

TEST(DialogsTest, ColourChoiceOpensOnTheChannelChosenLastTime) {
  ColourChoice choice;
  QString checked;
  auto choose = [&](const QString& item) {
    answerNextDialog([&checked, item](QWidget* dialog) {
      for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
        if (b->isChecked()) checked = b->text();
      if (!item.isEmpty()) buttonLabelled<QRadioButton>(dialog, item)->click();
      buttonLabelled(dialog, "OK")->click();
    });
  };
  choose("R");
  EXPECT_EQ(askRGBColorNumber(nullptr, choice), 1);
  EXPECT_EQ(checked, "G");  // the first showing
  choose("");
  EXPECT_EQ(askRGBColorNumber(nullptr, choice), 1);
  EXPECT_EQ(checked, "R");
  choose("RGB");  // the other group keeps its own choice
  EXPECT_EQ(askRGBcolorAll(nullptr, choice), 4);
  EXPECT_EQ(checked, "G");
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
  ui.progressStep();
  EXPECT_EQ(std::pair(window.bar()->value(), window.bar()->maximum()), std::pair(2, 11));
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

TEST(IconsTest, ThemeIconsAndTheProgramIconRender) {
  EXPECT_FALSE(themedIcon("document-open").isNull());
  // Drawn, not blank: a transparent corner and an opaque centre.
  const QImage icon = programIcon().pixmap(64, 64).toImage();
  ASSERT_EQ(icon.size(), QSize(64, 64));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255);
}

}  // namespace
}  // namespace vargaze::test
