#pragma once

// TvxFramedMemoView: the framed text object (an add-in, object type 10). It
// is a text object whose frame is drawn per side as a single or double line
// of one to three pixels, made of parallel one-pixel strokes, with the
// corners joined. Text layout, expansion, stretching and splitting are the
// text object's.

#include "report/memo_view.h"

#include <QStringList>

#include <array>

namespace vx {

// One side of the frame: a single (0) or double (1) line, each line
// LineWidth pixels wide.
struct TvxFrameSide {
    uint8_t LineKind = 0;
    uint8_t LineWidth = 1;
    bool operator==(const TvxFrameSide&) const = default;

    // What the drawing takes: a double line for any kind but 0, and a width
    // of 1 to 3 pixels (the editor's range; a template may hold any byte).
    int kind() const { return LineKind ? 1 : 0; }
    int width() const;
    // w x (2k + 1): w for a single line, 3w for a double one.
    int thickness() const { return width() * (2 * kind() + 1); }
    int half() const { return thickness() / 2; }
};

// The sides in their stored order.
enum TFrameSideIndex { fsRight = 0, fsLeft = 1, fsBottom = 2, fsTop = 3 };

class TvxFramedMemoView : public TvxMemoView {
public:
    explicit TvxFramedMemoView(TvxReport* report);

    static QString StaticClassName() { return QStringLiteral("TvxFramedMemoView"); }
    QString ClassName() const override { return StaticClassName(); }
    void ComputeDrawRect() override;
    void FillBackground() override;
    void DrawFrameLines() override;
    void Assign(const TvxView& source) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;

    // Right, left, bottom, top: two bytes each after the text object's record.
    std::array<TvxFrameSide, 4> Sides{};

private:
    void drawSide(int side);
    void band(bool vertical, int64_t centre, int strokes, int64_t from, int64_t to);
};

// The designer's editor of a framed text ("Editor di testo"): per side a
// combo of six line pictures, index kind x 3 + width - 1.
struct TFramedMemoForm {
    static QString Caption() { return QStringLiteral("Editor di testo"); }
    static QString GroupCaption() { return QStringLiteral("Bordi"); }
    // "Destro", "Sinistro", "Inferiore", "Superiore": the sides' labels.
    static QStringList SideLabels();
    static int ComboIndex(const TvxFrameSide& side);
    static TvxFrameSide SideOfComboIndex(int index);

    std::array<int, 4> SideIndex{};
    QStringList Memo;

    void Open(const TvxFramedMemoView& view);
    // OK: the sides from the combos and the lines from the memo.
    void Confirm(TvxFramedMemoView& view) const;
};

// Adds the framed text object to the add-in registry with its hint
// "Inserisci rettangolo bordato"; a second call does nothing.
void RegisterFramedMemoAddIn();

} // namespace vx
