#pragma once

// TvxShapeView: the shape object (an add-in, object type 10). It draws an
// ellipse, a rectangle, a rounded rectangle or one of the two diagonals of
// its bounds, outlined with the frame colour and width and filled with the
// fill colour.

#include "report/view.h"

#include <QStringList>

namespace vx {

// ShapeType values.
enum TShapeType : uint8_t {
    stEllipse = 0,
    stRectangle = 1,
    stRoundRect = 2,
    stDiagonal1 = 3, // top-left to bottom-right
    stDiagonal2 = 4, // bottom-left to top-right
};

class TvxShapeView : public TvxView {
public:
    explicit TvxShapeView(TvxReport* report);

    static QString StaticClassName() { return QStringLiteral("TvxShapeView"); }
    QString ClassName() const override { return StaticClassName(); }
    void FillBackground() override;
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;

    // Persistent, after the common part: one byte each.
    uint8_t ShapeType = stEllipse;
    uint8_t Transparent = 1; // 1: no white background while preparing

private:
    void drawShape(Canvas& c) const;
};

// The designer's editor of a shape ("Tipo di forma"): the radio group
// "Tipo" with one item per shape type and the box "Trasparente".
struct TVxShapeEditor {
    static QString Caption() { return QStringLiteral("Tipo di forma"); }
    static QString GroupCaption() { return QStringLiteral("Tipo"); }
    static QStringList ShapeItems(); // "Ellisse" ... "Linea del secondo tipo"
    static QString TransparentCaption() { return QStringLiteral("Trasparente"); }

    int ItemIndex = 0;          // RBShape
    bool TransparentBox = true; // cbTrans

    // Opening for an object selects its item and ticks the box.
    void Open(const TvxShapeView& view);
    // OK stores the item and the box; cancelling simply does not call it.
    void Confirm(TvxShapeView& view) const;
};

// Adds the shape object to the add-in registry with its hint "Inserisci
// forma geometrica"; a second call does nothing.
void RegisterShapeAddIn();

} // namespace vx
