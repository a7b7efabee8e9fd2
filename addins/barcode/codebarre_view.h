#pragma once

// TvxCodeBarreView: the barcode report object (an add-in, object type 10).
// It evaluates its expression while preparing, draws the bars through a
// TBarcode, sizes itself to the bars' width and prints the text under them.

#include "addins/barcode/barcode.h"
#include "report/view.h"

namespace vx {

class TvxCodeBarreView : public TvxView {
public:
    explicit TvxCodeBarreView(TvxReport* report);

    static QString StaticClassName() { return QStringLiteral("TvxCodeBarreView"); }
    QString ClassName() const override { return StaticClassName(); }
    void ComputeDrawRect() override;
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& in) override;
    void SaveToStream(ByteWriter& out) const override;

    // Persistent, in stream order after the common part (25 bytes).
    uint8_t BarChecksum = 1;      // "Calcola il codice di controllo"
    uint8_t BarShowText = 1;      // "Visualizza il testo"
    uint8_t BarShowCheckText = 0; // "Visualizza il codice di controllo"
    uint8_t Reserved = 0;
    uint8_t BarType = bcCodeEAN13;
    int32_t BarModul = 1;  // "Fattore di scala"
    double BarRatio = 1.0; // wide-to-narrow ratio
    int32_t Reserved1 = 0; // set to 0 by ComputeDrawRect
    int32_t Reserved2 = 0;

    // Not stored.
    int32_t TextHeight = 0; // height of the text strip
    EdgeRect BarRect;       // the bar area
    // Width of the bars found by the last drawing (wider than 16 bits
    // allow: a long symbol at a large module is still measured right).
    int32_t BarWidth = 0;

private:
    QString codeToEncode() const;
    void clearTextStrip();
    void drawCodeText(Canvas& c, const QString& text);
};

// Adds the barcode object to the add-in registry with its hint
// "Inserisci codice a barre"; a second call does nothing.
void RegisterBarcodeAddIn();

} // namespace vx
