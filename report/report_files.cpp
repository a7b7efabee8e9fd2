// Template files (".vxf") and template libraries (".vxt") of TvxReport.
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/template_messages.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vx {

namespace {

// Largest template file read into memory. Templates with pictures are a
// few megabytes; this bounds what a damaged or hostile file can allocate.
constexpr qint64 kMaxTemplateFileSize = qint64(512) << 20;

bool isSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QString withExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    qsizetype sep = -1;
    for (qsizetype i = fileName.size() - 1; i >= 0; --i)
        if (isSeparator(fileName[i])) {
            sep = i;
            break;
        }
    const QString ext = dot > sep ? fileName.mid(dot) : QString();
    if (ext.toUpper() == QStringLiteral(".VXF"))
        return fileName;
    return fileName + QStringLiteral(".vxf");
}

// Folder part including its trailing separator; empty without folder.
QString folderOf(const QString& fileName) {
    for (qsizetype i = fileName.size() - 1; i >= 0; --i)
        if (isSeparator(fileName[i]))
            return fileName.left(i + 1);
    return QString();
}

QString bareName(const QString& fileName) {
    return fileName.mid(folderOf(fileName).size());
}

QString withTrailingSeparator(const QString& dir) {
    if (dir.isEmpty() || isSeparator(dir.back()))
        return dir;
    return dir + (dir.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\'));
}

// Folders compare without regard to case and to the kind of separator.
bool sameFolder(const QString& a, const QString& b) {
    QString x = a, y = b;
    x.replace(QLatin1Char('\\'), QLatin1Char('/'));
    y.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QString::compare(x, y, Qt::CaseInsensitive) == 0;
}

QByteArray readWholeFile(const QString& fileName, const QString& missingMessage) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw VxError(missingMessage);
    if (file.size() > kMaxTemplateFileSize)
        throw VxError(streamReadErrorMessage());
    return file.readAll();
}

void notifyDesigner(TvxReport& report) {
    if (reportHooks().TemplateChanged)
        reportHooks().TemplateChanged(report);
}

QString missingFileMessage(const QString& reportName, const QString& fileName) {
    return QStringLiteral("Si è tentato di caricare da disco il report '%1'. \r\nMa il file '%2' "
                          "è inesistente")
        .arg(reportName, fileName);
}

} // namespace

void TvxReport::LoadFromFile(const QString& requested) {
    QString name = withExtension(requested);
    if (!ReportDir.isEmpty()) {
        const QString d = withTrailingSeparator(ReportDir);
        QString f = folderOf(name);
        if (f.isEmpty())
            f = d;
        if (!sameFolder(f, d))
            throw VxError(QStringLiteral("Si è tentato di caricare il report \"%1\" da una "
                                         "cartella non valida.\r\nE' possibile caricare il "
                                         "report solo dalla cartella:  \"%2\"")
                              .arg(QualifiedName(), ReportDir));
        name = f + bareName(name);
    }
    QString savedDir;
    if (!QFileInfo::exists(name)) {
        savedDir = QDir::currentPath();
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        if (!PathFromExe.isEmpty())
            QDir::setCurrent(PathFromExe);
        if (!QFileInfo::exists(name)) {
            QDir::setCurrent(savedDir);
            savedDir.clear();
        }
    }
    struct RestoreDir {
        QString dir;
        ~RestoreDir() {
            if (!dir.isEmpty())
                QDir::setCurrent(dir);
        }
    } restore{savedDir};
    const QString missing = missingFileMessage(QualifiedName(), name);
    if (!QFileInfo::exists(name))
        throw VxError(missing);
    const QFileInfo info(name);
    if (!autoLoad_.isEmpty()) {
        AutoLoadFile = info.absoluteFilePath();
        AutoLoadTime = info.lastModified();
    }
    const QByteArray bytes = readWholeFile(name, missing);
    LoadFromBytes(bytes);
    FileName = info.fileName();
    notifyDesigner(*this);
}

void TvxReport::SaveToFile(const QString& requested) {
    QString name = withExtension(requested);
    if (!ReportDir.isEmpty()) {
        const QString d = withTrailingSeparator(ReportDir);
        const QString f = folderOf(name);
        if (f.isEmpty())
            name = d + name;
        else if (!sameFolder(f, d))
            throw VxError(QStringLiteral("Si è tentato di salvare il report \"%1\" in una "
                                         "cartella non valida.\r\nE' possibile salvare il "
                                         "report solo nella cartella:  \"%2\"")
                              .arg(QualifiedName(), ReportDir));
    }
    try {
        // The bytes go to a temporary file renamed over the target, so a
        // failed save leaves the previous template as it was.
        writeFileAtomically(name, SaveToBytes());
    } catch (...) {
        throw VxError(saveFailedMessage());
    }
    FileName = bareName(name);
    notifyDesigner(*this);
}

void TvxReport::SaveTemplateFile(const QString& fileName, const QStringList& description,
                                 const QImage& picture) {
    try {
        StreamVersionScope version(kCurrentFileVersion);
        QByteArray bytes;
        ByteWriter out(&bytes);
        WriteStringList(out, description);
        const qsizetype offsetAt = out.size();
        out.i32(0); // pages offset, filled in below
        QByteArray bmp;
        if (!picture.isNull()) {
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            if (!picture.save(&buffer, "BMP"))
                bmp.clear();
        }
        out.u8(bmp.isEmpty() ? 0 : 1);
        out.bytes(bmp);
        out.patchU32(offsetAt, uint32_t(out.size()));
        Pages->SaveToStream(out);
        writeFileAtomically(fileName, bytes);
    } catch (...) {
        throw VxError(saveFailedMessage());
    }
}

void TvxReport::LoadTemplateFile(const QString& fileName, QStringList& description, QImage& picture,
                                 bool withPages) {
    const QByteArray bytes = readWholeFile(fileName, missingFileMessage(QualifiedName(), fileName));
    StreamVersionScope version(kCurrentFileVersion);
    ByteReader in(bytes);
    const QStringList lines = ReadStringList(in);
    const int32_t pagesOffset = in.i32();
    const uint8_t hasPicture = in.u8();
    checkStream(in);
    if (pagesOffset < 0 || size_t(pagesOffset) < in.pos() || size_t(pagesOffset) > in.size())
        throw VxError(streamReadErrorMessage());
    QImage image;
    if (hasPicture)
        image = QImage::fromData(in.bytes(size_t(pagesOffset) - in.pos()), "BMP");
    if (!withPages) {
        description = lines;
        picture = image;
        return;
    }
    in.seek(size_t(pagesOffset));
    loadTemplate([&](TvxReport& fresh) { return fresh.readPagesPart(in); });
}

} // namespace vx
