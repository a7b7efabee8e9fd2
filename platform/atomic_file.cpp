#include "platform/atomic_file.h"

#include "platform/errors.h"
#include "platform/platform_state.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

namespace {

// Names tried for the temporary file before giving up; a clash needs another
// save of the same target at the same moment.
constexpr int kTemporaryNameAttempts = 100;
// Bytes gathered before they go to the file in one write.
constexpr qsizetype kBufferSize = 64 * 1024;

QByteArray randomSuffix() {
    constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray s(6, '0');
    for (char& c : s)
        c = kChars[QRandomGenerator::system()->bounded(int(sizeof kChars) - 1)];
    return s;
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file the bytes finally land in: a link is followed, so saving through
// it replaces the linked file and keeps the link.
QString finalTarget(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.isSymLink() ? info.symLinkTarget() : fileName;
}

// Flushes the folder entry of a renamed file to the disk. File systems that
// cannot sync a folder say EINVAL; that is no failure of the save.
// Returns 0 or the error number.
int syncFolder(const QString& fileName) {
    const QByteArray dir = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

QString saveErrorMessage(const QString& fileName) {
    return QStringLiteral("Impossibile salvare il file \"%1\".").arg(fileName);
}

AtomicFile::AtomicFile(QString fileName) : target_(std::move(fileName)) {}

AtomicFile::~AtomicFile() {
    removeTemporary();
}

bool AtomicFile::open(OpenMode mode) {
    if (fd_ >= 0 || (mode & ReadOnly) || !(mode & WriteOnly)) {
        setErrorString(QStringLiteral("modo di apertura non valido"));
        return false;
    }
    const QByteArray base = QFile::encodeName(finalTarget(target_));
    // A file its owner made read-only is not replaced: renaming over it
    // needs only the folder's permission and would bypass that protection.
    if (::faccessat(AT_FDCWD, base.constData(), F_OK, AT_EACCESS) == 0 &&
        ::faccessat(AT_FDCWD, base.constData(), W_OK, AT_EACCESS) != 0) {
        setErrorString(errnoText(errno));
        return false;
    }
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd_ < 0; ++attempt) {
        const QByteArray path = base + '.' + randomSuffix();
        fd_ = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            tempPath_ = path;
        else if (errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        setErrorString(errnoText(errno));
        return false;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(base.constData(), &old) == 0)
        ::fchmod(fd_, old.st_mode & 07777);
    size_ = 0;
    failed_ = false;
    return QIODevice::open(WriteOnly | Unbuffered);
}

void AtomicFile::fail(const QString& reason) {
    if (!failed_)
        setErrorString(reason);
    failed_ = true;
}

qint64 AtomicFile::readData(char*, qint64) {
    return -1;
}

qint64 AtomicFile::writeData(const char* data, qint64 size) {
    if (failed_ || fd_ < 0)
        return -1;
    buffer_.append(data, size);
    if (buffer_.size() >= kBufferSize && !flushBuffer())
        return -1;
    size_ = std::max(size_, pos() + size);
    return size;
}

bool AtomicFile::flushBuffer() {
    qsizetype done = 0;
    while (!failed_ && done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.constData() + done, size_t(buffer_.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errnoText(errno) : QStringLiteral("scrittura incompleta"));
        else
            done += n;
    }
    buffer_.clear();
    return !failed_;
}

bool AtomicFile::seek(qint64 pos) {
    if (fd_ >= 0 && !flushBuffer())
        return false;
    if (fd_ < 0 || pos < 0 || ::lseek(fd_, off_t(pos), SEEK_SET) < 0) {
        fail(QStringLiteral("posizione non valida"));
        return false;
    }
    return QIODevice::seek(pos);
}

void AtomicFile::close() {
    QIODevice::close();
}

bool AtomicFile::commit() {
    if (fd_ < 0)
        fail(QStringLiteral("file non aperto"));
    else
        flushBuffer();
    if (!failed_ && ::fsync(fd_) != 0)
        fail(errnoText(errno));
    if (fd_ >= 0) {
        // A close that fails may have lost written bytes (network file
        // systems report them only here).
        if (::close(fd_) != 0)
            fail(errnoText(errno));
        fd_ = -1;
    }
    const auto& renameHook = platformState().AtomicRenameHook;
    if (!failed_ && renameHook && !renameHook(target_))
        fail(QStringLiteral("rinomina rifiutata"));
    if (!failed_ && ::rename(tempPath_.constData(), QFile::encodeName(finalTarget(target_))) != 0)
        fail(errnoText(errno));
    QIODevice::close();
    if (failed_) {
        removeTemporary();
        return false;
    }
    tempPath_.clear();
    if (const int error = syncFolder(finalTarget(target_))) {
        fail(errnoText(error));
        return false;
    }
    return true;
}

void AtomicFile::cancel() {
    QIODevice::close();
    removeTemporary();
}

void AtomicFile::removeTemporary() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.isEmpty()) {
        ::unlink(tempPath_.constData());
        tempPath_.clear();
    }
}

void writeFileAtomically(const QString& fileName, const std::function<void(QIODevice&)>& write) {
    AtomicFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw VxError(saveErrorMessage(fileName));
    try {
        write(file);
    } catch (...) {
        // A writer that stopped on a failed write reports the device's
        // failure: the one save error, naming the file. The destructor
        // removes the temporary file either way.
        if (file.failed())
            throw VxError(saveErrorMessage(fileName));
        throw;
    }
    if (!file.commit())
        throw VxError(saveErrorMessage(fileName));
}

void writeFileAtomically(const QString& fileName, const QByteArray& bytes) {
    writeFileAtomically(fileName, [&](QIODevice& device) { device.write(bytes); });
}

} // namespace vx
