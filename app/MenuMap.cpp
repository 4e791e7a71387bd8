#include "app/MenuMap.h"

#include <stdexcept>

namespace vargaze {

const std::vector<std::string_view>& menuTitles() {
  static const std::vector<std::string_view> titles{"Datei",       "Edit",    "Setup", "Photometrie",
                                                    "Bearbeitung", "Fenster", "Hilfe"};
  return titles;
}

const std::vector<MenuItem>& menuMap() {
  using enum Command;
  static const std::vector<MenuItem> items{
      {"Datei", "Bild laden", Load1, true},
      {"Datei", "Bild oder Bildserie laden", Serieladen1},
      {"Datei", "Vargaze Projekt laden", LoadProject1},
      {"Datei", "Fitsheader anzeigen", Fitsheader1},
      {"Datei", "Dateiliste anzeigen/bearbeiten", EditSeries},
      {"Datei", "Vargaze Projekt speichern", SaveProject1},
      {"Datei", "Bild speichern", Saveimage1, true},
      {"Datei", "Raw-Bildserie nach Fits konvertieren", RawtoFitskonvertieren1},
      {"Datei", "Bildserie als JPG exportieren", JPGexport, true},
      {"Datei", "Exit", Exit1},
      {"Edit", "Rechteck einzeichnen", DrawRectangle},
      {"Setup", "Setup", Setup2},
      {"Setup", "Einstellungen laden", Einstellungenladen1},
      {"Setup", "Einstellungen speichern", Einstellungenspeichern1},
      {"Photometrie", "ROI Datei laden", LoadROIs1},
      {"Photometrie", "Neue ROI", MROIneu},
      {"Photometrie", "ROI verschieben", MROIedit},
      {"Photometrie", "ROI Positionen initialisieren", ROIPositionenfixieren1},
      {"Photometrie", "ROIs auf Anfangsposition zurücksetzen", mROIreset},
      {"Photometrie", "ROI Datei speichern", SaveROIs1, true},
      {"Photometrie", "ROIs löschen", ClearROIs1},
      {"Photometrie", "ROI-Tabelle speichern", SaveResultTable1},
      {"Photometrie", "set DCF marker", setDCFmarker1, true},
      {"Photometrie", "get DCF time", getDCFtime1, true},
      {"Photometrie", "Farbindex-Tabelle generieren", BVRIanalyse, true},
      {"Photometrie", "Lichtkurve messen", Analyse1},
      {"Photometrie", "Projekt speichern", SaveProject2},
      {"Photometrie", "Lichtkurve automatisch aktualisieren", Autolightcurve1, true},
      {"Photometrie", "Datenexport (komplett)", Datenexportkomplett1},
      {"Photometrie", "Datenexport (kurz)", Datenexport1},
      {"Photometrie", "BAV/AAVSO Datenexport", BAVAAVSODatenexport1},
      {"Bearbeitung", "Automatische Sternmarkierung", findstars1, true},
      {"Bearbeitung", "Background Subtraktion", Backgroundsubtraction1},
      {"Bearbeitung", "Zeilenartefakte eliminieren", EliminateLines},
      {"Bearbeitung", "test crosscorelation", test11},
      {"Bearbeitung", "Flatkorrektur", Flatkorrektur1},
      {"Fenster", "Tile", Tile1},
      {"Fenster", "ROI Info Tabelle", ROIInfoTabelle1},
      {"Hilfe", "Programm-Anleitung (pdf)", htmlhelp1},
      {"Hilfe", "Programm Info", Info1},
  };
  return items;
}

const MenuItem& menuItem(Command command) {
  for (const MenuItem& item : menuMap()) {
    if (item.command == command) return item;
  }
  throw std::logic_error("command without a menu item");
}

}  // namespace vargaze
