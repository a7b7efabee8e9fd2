#pragma once

// Prepared pages made in the tests: A4 (or any paper) pictures recorded with
// the metafile recorder, and a report holding them.

#include "platform/emf/emf_reader.h"
#include "platform/emf/recording_canvas.h"
#include "report/emf_pages.h"
#include "report/report.h"

#include <functional>
#include <memory>

namespace vx::test {

// A picture of width x height pixels drawn by `draw`.
inline emf::EmfPicture recordPicture(QSize size, const std::function<void(Canvas&)>& draw) {
    emf::RecordingCanvas canvas(size);
    if (draw)
        draw(canvas);
    return emf::EmfPicture::parse(canvas.finish());
}

// A page of paperWidth x paperHeight tenths of a millimetre whose picture is
// the page at 96 dpi.
inline void addPage(TvxEMFPages& pages, int paperWidth, int paperHeight,
                    const std::function<void(Canvas&)>& draw = {}) {
    PreparedPageInfo paper;
    paper.PaperSize = 9;
    paper.PaperWidth = paperWidth;
    paper.PaperHeight = paperHeight;
    const QSize px(int(paperWidth * 96.0 / 254.0 + 0.5), int(paperHeight * 96.0 / 254.0 + 0.5));
    pages.AddPicture(paper, recordPicture(px, draw));
}

// A report of `count` A4 pages, each with a line of text naming its number.
inline std::unique_ptr<TvxReport> a4Report(int count) {
    auto report = std::make_unique<TvxReport>();
    for (int i = 0; i < count; ++i)
        addPage(*report->PreparedPages, 2100, 2970, [i](Canvas& c) {
            c.setFont(FontSpec{});
            c.textOut(100, 100, QStringLiteral("Pagina numero %1").arg(i + 1));
        });
    return report;
}

} // namespace vx::test
