#pragma once

// A small file system of the test's own (a tmpfs mounted in a temporary
// folder) that the test can fill up, so that saves meet a real full disk:
// the temporary file is created, then a write or its flush fails with
// ENOSPC. Mounting needs root (as in CI); elsewhere `mounted()` is false and
// the test skips with `skipReason()`.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace vx::test {

class FullDisk {
public:
    explicit FullDisk(int kilobytes = 2048) {
        const QByteArray dir = QFile::encodeName(dir_.path());
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        if (::mount("tmpfs", dir.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) ==
            0)
            mounted_ = true;
        else
            reason_ = QStringLiteral("a tmpfs cannot be mounted here (%1); run as root to "
                                     "test saving on a full disk")
                          .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }
    const QString& skipReason() const { return reason_; }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes zeros into the file "riempimento" until the disk is full.
    // Returns false when the disk never filled up.
    bool fill() const {
        const QByteArray name = QFile::encodeName(path(QStringLiteral("riempimento")));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const QByteArray zeros(64 * 1024, '\0');
        bool full = false;
        while (!full) {
            const ssize_t n = ::write(fd, zeros.constData(), size_t(zeros.size()));
            full = n < 0 && errno == ENOSPC;
            if (n < 0 && !full)
                break;
        }
        ::close(fd);
        return full;
    }

    // The files in the folder other than the filler, sorted.
    QStringList files() const {
        QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        names.removeAll(QStringLiteral("riempimento"));
        return names;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString reason_;
};

} // namespace vx::test
