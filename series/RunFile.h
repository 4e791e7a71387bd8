// The run file written while a light curve is measured and the curve data
// file saved with a project: a header line, a reference line and one line
// per frame, fields separated by ";", text quoted, lines ended by CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "photometry/Roi.h"

namespace vargaze {

// "filename";"JD-2450000";"ROI1  mag";"ROI2  mag";  ("JD" when the offset <= 0)
std::string runHeaderLine(double JDCurveoffset, std::size_t roiCount);
// "------";0;11.200;"?"  (rmag of comparison stars, "?" for the others)
std::string runReferenceLine(const std::vector<TRoi1>& rois);
// "name";5234.12346;12.345;... with the time in `decimals` decimals
// (15 significant digits) and magnitudes with 3 decimals (6 significant digits).
std::string runFrameLine(const std::string& name, double time, std::int32_t decimals,
                         const std::vector<float>& mags);
// The same with the curve data file's time format: 10 significant digits,
// printed with 5 decimals.
std::string curveDataFrameLine(const std::string& name, double time,
                               const std::vector<float>& mags);

// The run file beside a project: the project name with the configured curve
// extension (".prn" when that is empty or would overwrite a project or ROI file).
std::string curveFileName(const std::string& projectFilename, const Settings& settings);

}  // namespace vargaze
