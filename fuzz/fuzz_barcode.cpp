// Fuzz target: encodes and paints a barcode. The first byte picks the
// symbology (values past the 23 included), the second the check options,
// the third the module, the next eight the ratio; the rest is the text
// (UTF-8). Every input must end in a drawing or a VxError, never a crash.
#include "addins/barcode/barcode.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 11)
        return 0;
    vx::TBarcode bc;
    bc.Typ = data[0] % (vx::kBarcodeTypeCount + 2);
    bc.Checksum = data[1] & 1;
    bc.ShowCheckSumText = data[1] & 2;
    bc.CheckSumMethod = (data[1] & 4) ? vx::csmNone : vx::csmModulo10;
    bc.SetModul(data[2]);
    std::memcpy(&bc.Ratio, data + 3, sizeof bc.Ratio);
    bc.Text = QString::fromUtf8(reinterpret_cast<const char*>(data + 11), qsizetype(size - 11));
    bc.Left = 10;
    bc.Top = 10;
    bc.Height = 40;
    try {
        vx::emf::RecordingCanvas canvas(QSize(800, 200));
        bc.DrawBarcode(canvas);
        canvas.finish();
    } catch (const vx::VxError&) {
    }
    return 0;
}
