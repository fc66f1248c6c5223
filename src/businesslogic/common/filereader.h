#pragma once
// Reading a whole file, never more than the caller says real data needs.
//
// readWholeFile refuses a file larger than the cap instead of allocating for it, and
// reads devices that cannot tell their size (pipes, /dev/zero) only up to the cap.
// MappedFile maps a large regular file instead of copying it, for work that walks the
// bytes once (checksums).

#include <QByteArray>
#include <QFile>
#include <QString>

namespace ledwall
{

struct FileContents {
    enum class Status { Ok, OpenFailed, TooLarge, ReadFailed };

    Status status = Status::OpenFailed;
    QByteArray bytes;
    // Why it failed, for a message: the system's reason or the size limit.
    QString errorString;

    bool ok() const { return status == Status::Ok; }
};

// Settings, layouts and other documents the library reads whole stay far below this.
constexpr qint64 DefaultMaxFileSize = 64 * 1024 * 1024;

// The bytes of `path` when it holds at most `maxSize` bytes.
FileContents readWholeFile(const QString &path, qint64 maxSize = DefaultMaxFileSize);
// The first `size` bytes of `path` (fewer when the file is shorter), however large
// the file is.
FileContents readFileHead(const QString &path, qint64 size);
// The rest of an open device (standard input, a socket), at most `maxSize` bytes.
FileContents readWholeDevice(QIODevice &device, qint64 maxSize = DefaultMaxFileSize);

// A read-only view of a whole regular file, mapped into memory.
class MappedFile
{
public:
    MappedFile() = default;
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    // False (see errorString()) when the file cannot be opened, is not a regular
    // file, is larger than `maxSize`, or cannot be mapped. An empty file maps to an
    // empty view.
    bool open(const QString &path, qint64 maxSize);

    const uchar *data() const { return m_data; }
    qint64 size() const { return m_size; }
    QString errorString() const { return m_error; }

private:
    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    QString m_error;
};

} // namespace ledwall
