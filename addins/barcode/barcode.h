#pragma once

// TBarcode: the barcode generator component. It encodes its Text in the
// symbology Typ and paints the bars and spaces on a canvas at (Left, Top).

#include "addins/barcode/barcode_encoder.h"
#include "platform/canvas.h"

#include <QString>

namespace vx {

class TBarcode {
public:
    static QString ClassName() { return QStringLiteral("TBarcode"); }

    int Height = 0; // bar height in pixels
    QString Text;   // the data to encode
    int Top = 0;    // position of the first bar
    int Left = 0;
    double Ratio = 2.0; // wide-to-narrow ratio (range-checked per symbology)
    int Typ = bcCodeEAN13;
    bool Checksum = false;
    bool ShowCheckSumText = false;
    TCheckSumMethod CheckSumMethod = csmModulo10;
    TBarcodeOption ShowText = bcoNone; // kept, not used by the drawing
    ::vx::Color Color = kWhite;        // spaces
    ::vx::Color ColorBar = kBlack;     // bars

    // Width in pixels of the narrowest element; a value outside 1 to 49 is
    // ignored.
    int Modul() const { return modul_; }
    void SetModul(int modul);

    // Encodes and returns the total width of the elements in pixels.
    int Width();
    // CodeText := Text, encodes, paints the elements; the canvas's pen,
    // brush and world transform are restored. Throws VxError as MakeElements.
    void DrawBarcode(Canvas& canvas);

    // Set by each encoding.
    ElementWidths Widths{};
    std::string Elements;
    QString CodeText;

private:
    BarcodeEncoding encode();
    int modul_ = 1;
};

// Paints an element string with its top left corner at (left, top) in the
// canvas's logical pixels: bars and spaces as tall as `height` + 1 pixels,
// short bars two fifths of `height` + 1 standing on the same baseline.
// Every edge is placed on the grid of 1/300 inch (whole device pixels at
// 300, 600 and 1200 dpi), each edge rounded from its exact position so the
// symbol keeps its width. Throws "%s: Errore interno" for a code outside
// the element alphabet.
struct ElementPaint {
    int left = 0;
    int top = 0;
    int height = 0;
    ::vx::Color space = kWhite;
    ::vx::Color bar = kBlack;
};
void PaintElements(Canvas& canvas, const std::string& elements, const ElementWidths& widths,
                   const ElementPaint& paint, const QString& className);

// The grid of bar edges, in dots per inch.
inline constexpr int kBarGridDpi = 300;

} // namespace vx
