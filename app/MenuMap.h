// The main window's menus: every command with its caption, in menu order,
// and which of them the layout keeps hidden.
#pragma once

#include <string_view>
#include <vector>

namespace vargaze {

enum class Command {
  Load1, Serieladen1, LoadProject1, Fitsheader1, EditSeries, SaveProject1, Saveimage1,
  RawtoFitskonvertieren1, JPGexport, Exit1,
  DrawRectangle,
  Setup2, Einstellungenladen1, Einstellungenspeichern1,
  LoadROIs1, MROIneu, MROIedit, ROIPositionenfixieren1, mROIreset, SaveROIs1, ClearROIs1,
  SaveResultTable1, setDCFmarker1, getDCFtime1, BVRIanalyse, Analyse1, SaveProject2,
  Autolightcurve1, Datenexportkomplett1, Datenexport1, BAVAAVSODatenexport1,
  findstars1, Backgroundsubtraction1, EliminateLines, test11, Flatkorrektur1,
  Tile1, ROIInfoTabelle1,
  htmlhelp1, Info1,
};

struct MenuItem {
  std::string_view menu;
  std::string_view caption;
  Command command;
  bool hiddenInLayout = false;  // present, never shown by the layout itself
};

// The menus in menu-bar order: "Datei", "Edit", "Setup", "Photometrie",
// "Bearbeitung", "Fenster", "Hilfe".
const std::vector<std::string_view>& menuTitles();
// Every item in menu order.
const std::vector<MenuItem>& menuMap();
const MenuItem& menuItem(Command command);

}  // namespace vargaze
