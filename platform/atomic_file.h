#pragma once

// Saving without losing the previous file: the bytes go to a temporary file
// in the target's folder, which is renamed over the target only when every
// byte reached the disk (each write checked, then fsync). On any failure the
// temporary file is removed, the previous file stays as it was and a VxError
// with an Italian message naming the file is raised.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace vx {

// The message of a failed save: "Impossibile salvare il file \"NAME\"."
QString saveErrorMessage(const QString& fileName);

// The new content of a file, written to a temporary file beside it through a
// buffer of its own (stream writers such as QPdfWriter write many small
// pieces). The first failed write to the disk (a full disk, a device error)
// is remembered: every later write fails too and commit() refuses, even when
// the caller ignored a failed write's result, as such stream writers do.
class AtomicFile : public QIODevice {
public:
    explicit AtomicFile(QString fileName);
    ~AtomicFile() override; // a file not committed is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; only write modes are accepted. An
    // existing target the caller may not write is refused.
    bool open(OpenMode mode) override;
    // Makes the written bytes the target's content: checks that no write
    // failed, flushes them to the disk, renames the temporary file over the
    // target and flushes the folder. False, with the target untouched, on
    // any failure before the rename.
    bool commit();
    // Abandons the new content: the temporary file is removed.
    void cancel();
    // Only closes the device; the temporary file waits for commit or cancel.
    void close() override;

    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override { return size_; }
    bool failed() const { return failed_; }
    const QString& fileName() const { return target_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(const QString& reason);
    // Writes the buffered bytes to the file; false once a write failed.
    bool flushBuffer();
    void removeTemporary();

    QString target_;
    QByteArray tempPath_; // local 8-bit path of the temporary file
    int fd_ = -1;
    qint64 size_ = 0;
    QByteArray buffer_; // bytes not yet written, for the file's current position
    bool failed_ = false;
};

// Writes `bytes` as the new content of `fileName`.
void writeFileAtomically(const QString& fileName, const QByteArray& bytes);

// Lets `write` produce the content on a device (sequential writes, seek
// allowed). An exception thrown by `write` cancels the save and is passed on,
// unless a write to the disk failed: that, like a failed commit, raises the
// save error.
void writeFileAtomically(const QString& fileName, const std::function<void(QIODevice&)>& write);

// Tests refuse the rename through PlatformState::AtomicRenameHook
// (platform/platform_state.h).

} // namespace vx
