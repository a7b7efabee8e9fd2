#pragma once

// The bundled sample prepared report (samples/fattura.vxp): a two-page
// invoice and a customer list, drawn through the metafile recorder with the
// things real reports contain (accented Italian text and the euro sign,
// lines, frames, filled cells, a bitmap logo, text turned by 90 degrees).

#include <QImage>

namespace vx {

class TvxEMFPages;

// Appends the sample's three A4 portrait pages to `pages`.
void buildSampleReport(TvxEMFPages& pages);

// The generated company logo drawn on the first page.
QImage sampleLogo();

} // namespace vx
