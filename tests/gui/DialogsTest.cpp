// The auxiliary windows driven as a user would: real dialogs run modally and
// answered by clicks; the header window checked cell by cell.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>

#include "gui/ColourChoiceDialog.h"
#include "gui/FileChooser.h"
#include "gui/FileListDialog.h"
#include "gui/FitsHeaderWindow.h"
#include "image/FitsHeader.h"

namespace vargaze {
namespace {

// Runs `answer` on the modal dialog the next exec() opens.
void answerNextDialog(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer] { answer(QApplication::activeModalWidget()); });
}

template <class Button>
Button* button(QWidget* dialog, const QString& text) {
  for (Button* b : dialog->findChildren<Button*>())
    if (b->text() == text) return b;
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

TEST(DialogsTest, HeaderWindowShowsTheRowsUpToEnd) {
  FitsHeader header;
  header.fillBlank();
  header.setCard(1, "OBJECT  = 'M 31/And'  / a slash in the value");
  header.setCard(2, "END");
  header.setCard(3, "LATER   = 1");
  FitsHeaderWindow window;
  window.load(header);
  const QTableWidget& t = *window.table();
  EXPECT_EQ(window.windowTitle(), "FITS Info");
  EXPECT_EQ(t.horizontalHeaderItem(2)->text(), "Kommentar");
  ASSERT_EQ(t.rowCount(), 2);
  EXPECT_EQ(QStringList({t.item(0, 0)->text(), t.item(0, 1)->text(), t.item(0, 2)->text()}),
            QStringList({"OBJECT", "'M 31/And'", " a slash in the value"}));
  EXPECT_EQ(t.item(1, 0)->text(), "END");
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
      button<QPushButton>(dialog, "Add files")->click();
      shown = dialog->findChild<QPlainTextEdit*>()->toPlainText();
      button<QPushButton>(dialog, close)->click();
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
      if (!item.isEmpty()) button<QRadioButton>(dialog, item)->click();
      button<QPushButton>(dialog, "OK")->click();
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

}  // namespace
}  // namespace vargaze
