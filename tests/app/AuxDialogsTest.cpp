#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ColourChoice.h"
#include "app/FileListEditor.h"
#include "app/FitsHeaderRows.h"
#include "app/ProgressWindow.h"

namespace vargaze {
namespace {

using Cells = std::vector<std::string>;  // keyword, parameter, comment; empty: not listed

std::vector<Cells> cellsOf(const std::vector<FitsHeaderRow>& rows) {
  std::vector<Cells> cells;
  for (const FitsHeaderRow& r : rows) cells.push_back({r.Keyword, r.Parameter, r.Kommentar});
  return cells;
}

TEST(AuxDialogsTest, HeaderRowsSplitCards) {
  const std::string blanks19(19, ' ');
  const std::string x70(70, 'x');  // fills columns 11..80
  const struct {
    std::string card;
    Cells row;
  } cards[] = {
      {"SIMPLE  =                    T / conforms", {"SIMPLE", blanks19 + "T", " conforms"}},
      {"", {}},                         // blank card
      {"        orphan = 'text'", {}},  // no keyword
      {"EXPTIME =                  2.5", {"EXPTIME", std::string(17, ' ') + "2.5", ""}},
      {"COMMENT plain text", {"COMMENT", "plain text", ""}},
      {"HISTORY dark/flat", {"HISTORY", "dark", "flat"}},
      {"NOTE    'open quote / remark", {"NOTE", "'open quote", " remark"}},
      {"LONG    = " + x70, {"LONG", std::string(69, 'x'), ""}},  // column 80 is never a value
      {"ENDX    = 1", {"ENDX", "1", ""}},
  };
  FitsHeader header;  // cards never written stay zero bytes and are not listed
  std::vector<Cells> expected;
  int number = 3;
  for (const auto& c : cards) {
    header.setCard(number++, c.card);
    if (!c.row.empty()) expected.push_back(c.row);
  }
  EXPECT_EQ(cellsOf(LoadFitsheader(header)), expected);
}

TEST(AuxDialogsTest, HeaderWithoutEndListsEveryCardUpToTheLast) {
  FitsHeader header;
  header.fillBlank();
  header.setCard(kFitsCardCount, "LAST    = 7");
  EXPECT_EQ(cellsOf(LoadFitsheader(header)), (std::vector<Cells>{{"LAST", "7", ""}}));
}

TEST(AuxDialogsTest, AddFilesNeverDuplicatesALine) {
  FileListEditor editor({"c:\\a.fit", "c:\\b.fit"});
  editor.addFiles({"c:\\b.fit"});
  EXPECT_FALSE(editor.Changed);  // nothing added, nothing edited
  editor.addFiles({"c:\\c.fit", "c:\\b.fit", "c:\\c.fit", "c:\\A.fit"});
  EXPECT_EQ(editor.lines(),
            (std::vector<std::string>{"c:\\a.fit", "c:\\b.fit", "c:\\c.fit", "c:\\A.fit"}));
  EXPECT_TRUE(editor.Changed);
}

TEST(AuxDialogsTest, ProgressRunsCountPlusOneStepsAndStopResets) {
  ProgressWindow w;
  w.stepit();
  EXPECT_EQ(w.position, 0);  // hidden: no step
  w.startTask(10, "Konvertierung Raw -> FITS", "Abbruch");
  w.cancelClick();
  w.start("Kurvengenerierung..", 10);  // a new start forgets the old cancel
  EXPECT_EQ(std::vector({w.position, w.maximum}), std::vector({1, 11}));
  EXPECT_TRUE(w.shown && w.wmrunning && !w.wmaborted && w.cancelVisible);
  EXPECT_EQ(w.cancelCaption, "Abbruch");
  for (int i = 0; i < 11; ++i) w.stepit();  // never past the end
  EXPECT_EQ(w.position, 11);
  w.stop();
  EXPECT_EQ(w.position, 0);
  EXPECT_FALSE(w.shown || w.wmrunning || w.cancelVisible || w.cancelEnabled);
  EXPECT_EQ(w.cancelCaption, "Cancel");
  w.EnableCancelbutton(true, "");
  EXPECT_EQ(w.cancelCaption, "Cancel");  // an empty caption keeps the old one
}

// The dialogs' mapping of the items is run through the real dialog.
TEST(AuxDialogsTest, ColourChoiceStaysOnARealChannel) {
  ColourChoice choice;
  choice.colorgroupIndex = 7;  // not an item
  EXPECT_EQ(choice.GetRGBColorNumber(), 2);
}

}  // namespace
}  // namespace vargaze
