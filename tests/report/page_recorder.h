#pragma once

// Records drawing into a page metafile, as prepared pages are made, and
// reads the records back: the text records and the fonts, brushes and pens
// created, in record order.

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/emf_records.h"
#include "platform/emf/emf_text.h"
#include "platform/emf/recording_canvas.h"

#include <QSize>

#include <functional>
#include <vector>

namespace vx::test {

struct RecordedPage {
    QByteArray bytes;
    emf::EmfPicture picture;
    std::vector<emf::EmfTextItem> texts;
    std::vector<FontSpec> fonts;
    std::vector<BrushSpec> brushes;
    std::vector<PenSpec> pens;
    std::vector<Color> textColors;
    std::vector<QRect> fills; // rectangles filled with the brush (x, y, width, height)
    int images = 0;           // bitmap records

    QStringList strings() const {
        QStringList out;
        for (const auto& t : texts)
            out << t.text;
        return out;
    }
};

inline RecordedPage recordPage(const std::function<void(Canvas&)>& draw,
                               QSize size = QSize(600, 400)) {
    emf::RecordingCanvas canvas(size);
    draw(canvas);
    RecordedPage page;
    page.bytes = canvas.finish();
    page.picture = emf::EmfPicture::parse(page.bytes);
    page.texts = emf::extractText(page.picture);
    for (int i = 0; i < page.picture.recordCount(); ++i) {
        const emf::EmfRecord rec = page.picture.record(i);
        if (rec.type == emf::EMR_EXTCREATEFONTINDIRECTW) {
            if (auto f = emf::readExtCreateFont(rec))
                page.fonts.push_back(f->font);
        } else if (rec.type == emf::EMR_CREATEBRUSHINDIRECT) {
            if (auto b = emf::readCreateBrush(rec))
                page.brushes.push_back(b->brush);
        } else if (rec.type == emf::EMR_CREATEPEN) {
            if (auto p = emf::readCreatePen(rec))
                page.pens.push_back(p->pen);
        } else if (rec.type == emf::EMR_SETTEXTCOLOR) {
            ByteReader r = rec.payload();
            page.textColors.push_back(Color(r.u32()));
        } else if (rec.type == emf::EMR_BITBLT) {
            if (auto b = emf::readBitBlt(rec); b && !b->dib.present())
                page.fills.push_back(b->dest);
            else
                ++page.images;
        } else if (rec.type == emf::EMR_STRETCHDIBITS || rec.type == emf::EMR_STRETCHBLT) {
            ++page.images;
        }
    }
    return page;
}

} // namespace vx::test
