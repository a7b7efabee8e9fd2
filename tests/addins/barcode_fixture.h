#pragma once

// Shared set-up of the barcode object tests: the library state in print
// mode with a resolver that answers the name Codice, a barcode object drawn
// on a recorded page, and the page rendered at a printer's resolution.

#include "addins/barcode/codebarre_view.h"
#include "expr/evaluator.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/recording_canvas.h"
#include "platform/painter_canvas.h"
#include "report/library_state.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>

namespace vx::test {

class BarcodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        PrintMode = true;
        resolver_ = std::make_unique<ScopedExprResolver>(
            [this](const QString& name, const QStringList*, Variant& value) {
                if (name.compare(QStringLiteral("Codice"), Qt::CaseInsensitive) == 0)
                    value = code;
            });
    }
    void TearDown() override {
        resolver_.reset();
        resetLibraryState();
    }

    // A barcode object at (20, 20), 200 x 80, whose expression is Codice.
    std::unique_ptr<TvxCodeBarreView> makeView(int type, int modul = 1) {
        auto v = std::make_unique<TvxCodeBarreView>(nullptr);
        v->Left = 20;
        v->Top = 20;
        v->Width = 200;
        v->Height = 80;
        v->BarType = uint8_t(type);
        v->BarModul = modul;
        v->Lines = QStringList{QStringLiteral("Codice")};
        return v;
    }

    // The object drawn on a recorded page of `page` pixels (1/96 inch).
    static QByteArray recordPage(TvxCodeBarreView& view, QSize page = QSize(400, 200)) {
        emf::RecordingCanvas canvas(page);
        view.Draw(canvas);
        return canvas.finish();
    }

    // The recorded page played at `dpi`, one logical pixel = dpi / 96 device
    // pixels, as printing places it.
    static QImage render(const QByteArray& emf, int dpi) {
        const emf::EmfPicture picture = emf::EmfPicture::parse(emf);
        const QRectF frame = picture.frameInDevicePixels();
        const double k = dpi / 96.0;
        QImage image(int(std::ceil(frame.width() * k)), int(std::ceil(frame.height() * k)),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        emf::EmfPlayer(picture).play(canvas, QRectF(0, 0, frame.width() * k, frame.height() * k));
        painter.end();
        return image;
    }

    Variant code;

private:
    std::unique_ptr<ScopedExprResolver> resolver_;
};

} // namespace vx::test
