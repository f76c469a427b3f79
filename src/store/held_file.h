#pragma once

#include <QByteArray>
#include <QString>

namespace tavrino {

// A file opened and locked against every other Tavrino instance for as long
// as this object lives: an open-file-description write lock on the whole
// file, which other processes (and other descriptions in this one) can't
// take. It stands in for a file opened with reading denied to others.
class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() { release(); }
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // errno of the failure, or 0. A file locked elsewhere gives EWOULDBLOCK.
    int open(const QString& path);
    // A new file (O_EXCL) for writing, locked from the start.
    int create(const QString& path);
    // A new uniquely named file beside prefix ("prefixXXXXXX"), locked.
    int createTemporary(const QString& prefix);

    void release();
    bool isValid() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    // After a rename, the new name this file goes by.
    void setPath(const QString& path) { m_path = path; }

    int readAll(QByteArray& out) const;
    int writeAll(const QByteArray& data);
    int sync();
    // True when path names the very file this object holds.
    bool isFileAt(const QString& path) const;

    static QString describe(int error);

private:
    int lockOpened(int fd, const QString& path, bool writable);
    int m_fd = -1;
    QString m_path;
};

// File system steps of a save.
namespace FileOps {
// Fails with EEXIST when to exists, as a move does on Windows.
int renameNoReplace(const QString& from, const QString& to);
int syncFolder(const QString& folder);
bool exists(const QString& path);
// True when path exists and no process holds it.
bool isUnheld(const QString& path);
} // namespace FileOps

} // namespace tavrino
