#pragma once
// Feeding a calibration file to a CalibrationTextReader in large blocks. Reading
// (rather than mapping) keeps a file that is truncated or removed meanwhile
// harmless: the reading just ends where the data does.

#include "calibrationtext.h"

#include <QString>

namespace ledwall::calibration
{

enum class FileReadStatus { Ok, OpenFailed, ReadFailed };

// Hands the whole file at `path` to `sink` (until the sink stops the reading).
// The buffer stays at one block plus one line, however large the file is.
FileReadStatus readCalibrationFile(const QString &path, LineSink &sink,
                                   QString *errorString = nullptr);

} // namespace ledwall::calibration
