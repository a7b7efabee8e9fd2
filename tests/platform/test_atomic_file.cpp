// Saving through a temporary file: what the new file keeps of the old one,
// seeking back to patch, and a full disk that a careless writer ignores.

#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "tests/support/full_disk.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vx::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(AtomicFile, NewContentKeepsPermissionsAndTheLinkItWasSavedThrough) {
    QTemporaryDir dir;
    const QString real = dir.filePath("vero.vxf");
    const QString link = dir.filePath("collegamento.vxf");
    writeFileAtomically(real, QByteArray("prima"));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));

    writeFileAtomically(link, QByteArray("dopo"));
    EXPECT_EQ(readAll(real), "dopo");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(AtomicFile, SeekingBackPatchesEarlierBytes) {
    QTemporaryDir dir;
    const QString file = dir.filePath("p.bin");
    writeFileAtomically(file, [](QIODevice& d) {
        d.write("0000abcdef");
        ASSERT_TRUE(d.seek(0));
        d.write("12");
        ASSERT_TRUE(d.seek(d.size()));
        d.write("!");
        EXPECT_EQ(d.size(), 11);
    });
    EXPECT_EQ(readAll(file), "1200abcdef!");
}

TEST(AtomicFile, FullDiskFailsTheSaveEvenWhenTheWriterIgnoresIt) {
    FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const QString file = disk.path("t.bin");
    writeFileAtomically(file, QByteArray("precedente"));
    ASSERT_TRUE(disk.fill());

    AtomicFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)); // a new inode still fits
    // Results ignored, as stream writers do; once the buffered bytes met the
    // full disk every write fails.
    const QByteArray piece(1024, 'x');
    for (int i = 0; i < 200; ++i)
        out.write(piece);
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(out.write(piece), -1);
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(readAll(file), "precedente");
    EXPECT_EQ(disk.files(), QStringList{"t.bin"});
    EXPECT_THROW(writeFileAtomically(file, QByteArray("altro")), VxError);
    EXPECT_EQ(readAll(file), "precedente");
}

} // namespace
} // namespace vx::test
