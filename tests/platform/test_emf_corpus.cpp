// Every picture of the shared corpus of real-world metafiles is read, played
// and its text extracted; the damaged ones fail cleanly or play their valid
// part. Skipped when the corpus is not beside the checkout.

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_text.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"
#include "tests/support/fake_canvas.h"
#include "tests/support/paths.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::emf;

namespace {

QStringList corpusFiles(const QString& sub) {
    const QString dir = vx::test::corpusDir();
    if (dir.isEmpty())
        return {};
    QStringList out;
    for (const QString& name :
         QDir(dir + QChar('/') + sub).entryList({"*.emf"}, QDir::Files, QDir::Name))
        out << dir + QChar('/') + sub + QChar('/') + name;
    return out;
}

constexpr qsizetype kMaxPaintedBytes = 1 << 20;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(EmfCorpus, ValidPicturesParsePlayAndGiveTheirText) {
    const QStringList files = corpusFiles(QStringLiteral("valid"));
    if (files.isEmpty())
        GTEST_SKIP() << "the EMF corpus (../shared/corpus/emf) is not available";
    int texts = 0;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        EmfPicture pic;
        try {
            pic = EmfPicture::parse(readAll(path));
        } catch (const VxError& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_GT(pic.recordCount(), 1);
        vx::test::FakeCanvas canvas;
        EmfPlayer player(pic);
        player.play(canvas, QRectF(0, 0, 800, 600));
        EXPECT_EQ(canvas.level, 0);
        texts += int(extractText(pic).size());
        // Painted onto an image too, except the largest pictures (their tens of
        // thousands of text runs would only make the suite slow).
        if (pic.bytes().size() <= kMaxPaintedBytes) {
            QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::white);
            QPainter painter(&img);
            PainterCanvas pc(painter);
            EmfPlayer(pic).play(pc, QRectF(0, 0, 400, 300));
        }
    }
    EXPECT_GT(texts, 1000);
}

TEST(EmfCorpus, KnownTextIsExtracted) {
    const QString dir = vx::test::corpusDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "the EMF corpus (../shared/corpus/emf) is not available";
    const QByteArray bytes = readAll(dir + QStringLiteral("/valid/test-041.emf"));
    if (bytes.isEmpty())
        GTEST_SKIP() << "test-041.emf is missing";
    QStringList strings;
    for (const EmfTextItem& t : extractText(EmfPicture::parse(bytes)))
        strings << t.text;
    for (const char* s : {"UL", "UR", "LL", "LR"})
        EXPECT_TRUE(strings.contains(QString::fromLatin1(s)))
            << s << " in " << strings.join('|').toStdString();
}

TEST(EmfCorpus, DamagedPicturesFailCleanlyOrPlayTheirValidPart) {
    const QStringList files = corpusFiles(QStringLiteral("corrupted"));
    if (files.isEmpty())
        GTEST_SKIP() << "the EMF corpus (../shared/corpus/emf) is not available";
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = readAll(path);
        for (ParseMode mode : {ParseMode::Strict, ParseMode::KeepValidPrefix}) {
            try {
                const EmfPicture pic = EmfPicture::parse(bytes, mode);
                vx::test::FakeCanvas canvas;
                EmfPlayer player(pic);
                player.play(canvas, QRectF(0, 0, 800, 600));
                extractText(pic);
            } catch (const VxError& e) {
                EXPECT_TRUE(e.message().startsWith(QStringLiteral("Immagine EMF danneggiata: ")));
            }
        }
    }
}
