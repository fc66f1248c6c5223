#include "calibrationfile.h"

#include <QFile>

namespace ledwall::calibration
{

namespace
{
constexpr qint64 BlockSize = 1024 * 1024;
} // namespace

FileReadStatus readCalibrationFile(const QString &path, LineSink &sink, QString *errorString)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorString)
            *errorString = file.errorString();
        return FileReadStatus::OpenFailed;
    }
    CalibrationTextReader reader(sink);
    QByteArray block(int(BlockSize), Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), BlockSize);
        if (got < 0) {
            if (errorString)
                *errorString = file.errorString();
            return FileReadStatus::ReadFailed;
        }
        if (got == 0)
            break;
        if (!reader.feed(block.constData(), got))
            return FileReadStatus::Ok;
    }
    reader.finish();
    return FileReadStatus::Ok;
}

} // namespace ledwall::calibration
