// The program's global settings, kept in "vargaze1.ini".
//
// Every field starts with the value a fresh program has before the INI file
// is read, which is also what reading a missing file leaves in place.
#pragma once

#include <cstdint>
#include <string>

namespace vargaze {

struct Settings {
    // [File]
    std::string StartupDir;   // folder the last image series was loaded from
    std::string cfgfilename;  // file name (no folder) of the configuration copy last loaded or saved
    std::string ProjectDir;   // folder of the last project opened or saved
    std::string RoiDir;       // folder of the last ROI file loaded

    // [Mag] camera noise model and image scale (photometry)
    double ElectronsPerCount = 2.0;    // camera gain, electrons per ADU
    double ReadnoiseElectrons = 15.0;  // read noise in electrons
    double DarkElectronsPerSec = 0.5;  // dark current in electrons per second
    double ArcsecPerPixel = 0.0;       // image scale of the processed (binned) image, arcsec per pixel
    std::int32_t StandardFilter = 1;   // item index of the standard filter in the filter list
    bool AutoReadFilter = true;        // take the filter from the FITS header

    // [Mag] standard-transformation coefficients; 99 means not set
    double TF_Tb = 99.0;   // Tb
    double TF_Tbv = 99.0;  // Tbv
    double TF_Tv = 99.0;   // Tv (BV)
    double TF_Tr = 99.0;   // Tr
    double TF_Tvr = 99.0;  // Tvr
    double TF_Tv2 = 99.0;  // Tv (VR)

    // [Mag] aperture defaults and centring
    std::uint8_t DefaultROIsize = 9;       // default star aperture size in pixels
    std::int32_t DefaultBGinnerSize = 11;  // default inner size of the background annulus in pixels
    std::int32_t DefaultBGoutersize = 13;  // default outer size of the background annulus in pixels
    std::uint8_t ROIcenterMode = 1;        // 1 = centroid, any other value = brightest pixel
    bool InstmagCorr = true;               // normalise instrumental magnitudes to the exposure time

    // [Image]
    std::uint8_t imgBinning = 1;     // binning factor applied when images are processed (1 = none)
    double DefaultZoomfactor = 1.0;  // display zoom stored in the file (1.0 = 100 %)
    double ZoomFactor = 1.0;         // current display zoom

    // [Tracking]
    std::int32_t TrackingRange = 50;  // track-star search range, plus/minus pixels
    bool ShowTrackstar = false;       // draw the track-star search region
    bool TrackingEnabled = true;      // the setup dialog's "enable tracking" choice (kept only)

    // [Time]
    std::int32_t UToffset = 0;          // camera time minus UT in whole hours, for raw camera files
    bool MiddletimeCorrection = false;  // frame time = start time + half the exposure time

    // [Curve]
    std::int32_t AutocurveRefreshSec = 10;  // refresh interval of the automatic light curve, seconds
    double JDCurveoffset = 2450000.0;       // Julian Date offset subtracted from light-curve times
    std::int32_t JDprecision = 5;           // decimals of Julian Dates in tables and files
    std::string CurveFileExt = ".prn";      // extension of curve data files, with the dot

    // [Export]
    std::string BAVOBS;            // BAV observer code
    std::string OBSCODE;           // AAVSO observer code
    std::string OBSTYPE = "CCD";   // observation type: "CCD" or "DSLR"
    char ExportDelimiter = ';';    // field delimiter chosen in the setup dialog

    // [Window]
    std::int32_t WindowWidth = 805;   // main window width in pixels
    std::int32_t WindowHeight = 509;  // main window height in pixels
    std::int32_t WindowLeft = -1;     // main window position; -1: where the desktop puts it
    std::int32_t WindowTop = -1;
    bool WindowMaximized = false;

    // [Site]
    std::int32_t DefaultLocationHeight = -1;  // height of the observing site in metres, -1 = not given
    std::int32_t Dscope_cm = 0;               // telescope aperture in centimetres

    // [Test] read only, set by editing the file
    bool Testmode = false;     // show the hidden automatic star marking command
    bool PrivateMode = false;  // show the "Bearbeitung" menu and the JPEG series export

    // Not stored
    bool ConfigChanged = false;  // settings changed: the display reloads the current frame
};

}  // namespace vargaze
