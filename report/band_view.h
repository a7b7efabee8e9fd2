#pragma once

// TvxBandView: the designer's representation of a band; the band type code
// is kept in FrameLines, the dataset name (data bands) or group condition
// (group headers) in FormatText.

#include "report/view.h"

namespace vx {

// Band option bits of Flags.
enum : uint16_t {
    bfFitToContent = 1,         // "Adattato"
    bfNewPageAfter = 2,         // "Forza pagina nuova"
    bfPrintWhenDetailEmpty = 4, // "Stampa se i dettagli sono vuoti"
    bfSplitAllowed = 8,         // "Banda interrotta"
    bfFillList = 16,            // "Completa l'elenco"
};

// Whether a band option counts on a band type (options that do not count
// read as off).
bool bandOptionApplies(int bandType, uint16_t option);

// Fills a rectangle with the designer's 8 x 8 checker: pixel (x, y) white
// when x + y is even, silver when it is odd.
void FillChecker(Canvas& canvas, const EdgeRect& rect);

class TvxPage;

class TvxBandView : public TvxView {
public:
    explicit TvxBandView(TvxReport* report);
    ~TvxBandView() override;

    QString ClassName() const override { return QStringLiteral("TvxBandView"); }
    bool UsesDataSet() const override;
    void Draw(Canvas& canvas) override;
    QRegion GetRegion(bool grown) const override;
    void AddMenuItems(std::vector<MenuItem>& menu) override;

    int BandType() const { return int(FrameLines); }
    void SetBandType(int type) { FrameLines = uint16_t(type); }

    bool FitToContent() const { return option(bfFitToContent); }
    bool NewPageAfter() const { return option(bfNewPageAfter); }
    bool PrintWhenDetailEmpty() const { return option(bfPrintWhenDetailEmpty); }
    bool SplitAllowed() const { return option(bfSplitAllowed); }
    bool FillList() const { return option(bfFillList); }

    // The caption tab above a horizontal band, left of a vertical one.
    QRect CaptionTab() const;

private:
    const TvxPage* OwnerPage() const;
    void DrawCaptionTab(Canvas& canvas) const;
    bool option(uint16_t bit) const { return (Flags & bit) && bandOptionApplies(BandType(), bit); }
};

} // namespace vx
