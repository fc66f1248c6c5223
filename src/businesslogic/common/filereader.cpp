#include "filereader.h"

#include <QFileInfo>

namespace ledwall
{

namespace
{

QString tooLargeText(qint64 maxSize)
{
    return QStringLiteral("larger than %1 bytes").arg(maxSize);
}

} // namespace

FileContents readWholeDevice(QIODevice &device, qint64 maxSize)
{
    FileContents contents;
    // One byte past the cap tells a file at the limit from one beyond it.
    contents.bytes = device.read(maxSize + 1);
    if (contents.bytes.size() > maxSize) {
        contents.bytes.clear();
        contents.status = FileContents::Status::TooLarge;
        contents.errorString = tooLargeText(maxSize);
        return contents;
    }
    if (device.isSequential() ? !device.atEnd() && device.bytesAvailable() > 0
                              : device.pos() < device.size()) {
        contents.bytes.clear();
        contents.status = FileContents::Status::ReadFailed;
        contents.errorString = device.errorString();
        return contents;
    }
    contents.status = FileContents::Status::Ok;
    return contents;
}

FileContents readWholeFile(const QString &path, qint64 maxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        FileContents contents;
        contents.errorString = file.errorString();
        return contents;
    }
    // A regular file says its size: refuse it before allocating anything.
    if (!file.isSequential() && file.size() > maxSize) {
        FileContents contents;
        contents.status = FileContents::Status::TooLarge;
        contents.errorString = tooLargeText(maxSize);
        return contents;
    }
    return readWholeDevice(file, maxSize);
}

FileContents readFileHead(const QString &path, qint64 size)
{
    FileContents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.errorString = file.errorString();
        return contents;
    }
    contents.bytes = file.read(size);
    if (contents.bytes.isEmpty() && size > 0 && !file.atEnd()) {
        contents.status = FileContents::Status::ReadFailed;
        contents.errorString = file.errorString();
        return contents;
    }
    contents.status = FileContents::Status::Ok;
    return contents;
}

bool MappedFile::open(const QString &path, qint64 maxSize)
{
    m_data = nullptr;
    m_size = 0;
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    if (!QFileInfo(path).isFile() || m_file.isSequential()) {
        m_error = QStringLiteral("not a regular file");
        return false;
    }
    if (m_file.size() > maxSize) {
        m_error = tooLargeText(maxSize);
        return false;
    }
    m_size = m_file.size();
    if (m_size == 0)
        return true;
    m_data = m_file.map(0, m_size);
    if (!m_data) {
        m_size = 0;
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

} // namespace ledwall
