#pragma once

// Text objects: TvxCustomMemoView (base of every text class, with the state
// the engine drives) and TvxMemoView (the plain text object).

#include "report/text_layout.h"
#include "report/view.h"

namespace vx {

// Option bits of Flags for text objects.
enum : uint16_t {
    mfStretched = 1, // "Adattato": grows with its text
    mfWordWrap = 2,  // "A capo"
    mfAutoWidth = 4, // "Largezza automatica"
};

// Draw modes (TvxCustomMemoView::DrawMode).
enum : uint8_t {
    dmDraw = 0,         // expand and draw
    dmMeasure = 1,      // expand and measure only
    dmDrawMeasured = 2, // draw the text measured before
    dmContinue = 3,     // draw the continuation of a split text
};

// Font style bits as stored in templates.
enum : uint16_t {
    fsItalic = 1,
    fsBold = 2,
    fsUnderline = 4,
};

// Stored font sizes are limited to this range of points when the font is
// prepared: a size of 0 or below would give a line step of 2 pixels or less
// (lines drawn over each other), and beyond 10000 points no line fits any
// page; both come only from damaged templates.
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 10000;
// Resolution of the screen the library lays out for (logical pixels per inch).
inline constexpr int kScreenPixelsPerInch = 96;

// The text font of a text object: face, size in points, style bits, colour.
struct MemoFont {
    QString Name = QStringLiteral("Arial");
    int32_t Size = 10; // points
    uint16_t Style = 0;
    Color FontColor = kBlack;
    bool operator==(const MemoFont&) const = default;
    // The logical font at `pixelsPerInch` (height = -round(size * ppi / 72),
    // the size limited to kMinFontPoints..kMaxFontPoints).
    FontSpec toFontSpec(int pixelsPerInch = kScreenPixelsPerInch) const;
};

class TvxCustomMemoView : public TvxView {
public:
    explicit TvxCustomMemoView(TvxReport* report);

    // 13, 14: the last layout's line height; fills ExpandedLines from Lines.
    virtual int32_t GetLineHeight() const { return LineHeight; }
    virtual void ExpandText() = 0;

    // Run-time state driven by the engine.
    uint8_t DrawMode = dmDraw; // dmDraw, dmMeasure, dmDrawMeasured, dmContinue
    int32_t LinesDone = 0;     // laid-out lines printed by earlier parts of a split text
    int32_t LineHeight = 0;    // line step found by the last horizontal layout
    int32_t ContentHeight = 0; // height still to print (classes that compute it)
    uint8_t HasLineBreaks = 0; // an inserted value held CR LF; cleared per page

    bool Stretched() const { return Flags & mfStretched; }
    bool WordWrap() const { return Flags & mfWordWrap; }
    bool AutoWidth() const { return Flags & mfAutoWidth; }
};

// Height of the text found by the last layout of a text object (0 at the
// start of every draw of one).
extern int32_t& MeasuredTextHeight;
// The running band height that measuring (draw mode 1) raises to at least
// Top + MeasuredTextHeight + 2 for a stretched text; the engine sets it
// before measuring a band.
extern int32_t& MeasuredBandHeight;

class TvxMemoView : public TvxCustomMemoView {
public:
    explicit TvxMemoView(TvxReport* report);
    ~TvxMemoView() override;

    QString ClassName() const override { return QStringLiteral("TvxMemoView"); }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;
    void LoadFromField(const QVariant& value) override;
    void AddMenuItems(std::vector<MenuItem>& menu) override;
    void ExpandText() override;

    // Alignment: bits 0-1 horizontal (0 left, 1 right, 2 centre, 3 justified),
    // bit 2 turned by 90 degrees, bits 3-4 vertical (0 top, 8 centre, 16 bottom).
    int HorzAlign() const { return int(Alignment & 3); }
    void SetHorzAlign(int a) { Alignment = (Alignment & ~3u) | (uint32_t(a) & 3u); }
    // 0 top, 1 centre, 2 bottom (both vertical bits read as bottom).
    int VertAlign() const;
    void SetVertAlign(int a);
    bool Turned() const { return Alignment & 4; }
    void SetTurned(bool on) { Alignment = on ? (Alignment | 4u) : (Alignment & ~4u); }

    uint8_t HighlightWasOn = 0;
    uint32_t Alignment = 0;
    uint16_t HighlightStyle = fsBold;
    Color HighlightFontColor = kBlack;
    Color HighlightFillColor = kWhite;
    QString HighlightCondition;
    bool HighlightOn = false;
    MemoFont Font;

protected:
    // The pieces of Draw, for the text classes derived from this one.
    // Prepares the canvas: clear brush, the font (scaled for a report of
    // another resolution, turned for turned text), its colour; returns the
    // line step (2 - font height).
    int PrepareFont(Canvas& canvas) const;
    // Lays ExpandedLines out (line breaks, automatic width, wrapping), sets
    // MeasuredTextHeight, LineHeight and a stretched object's size.
    void LayoutText(Canvas& canvas, int step);
    // Draws the laid-out lines with their alignment inside the clip
    // rectangle; horizontal text stops at the first line that does not fit
    // and records it in LinesDone.
    void DrawText(Canvas& canvas, int step);
    // Background and frame; an empty stretched cell grows with its band.
    void DrawEmptyCell();

private:
    bool ApplyHighlight();
    int32_t TextHeightToAlign(int step) const;
    void DrawHorizontalLines(Canvas& canvas, int step, const EdgeRect& clip);
    void DrawTurnedLines(Canvas& canvas, int step, const EdgeRect& clip);
};

} // namespace vx
