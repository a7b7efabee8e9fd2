#pragma once

// TvxRichView: the rich text object. Its content is formatted text (fonts,
// sizes, styles, alignment, bullets) stored in the template as RTF. While a
// report is prepared, bracketed expressions in the text are replaced by
// their values keeping the formatting at their place; the object can
// stretch with its text and, in a band that fits its content, prints line by
// line so that a long text continues on the next page.

#include "platform/richtext/rich_layout.h"
#include "platform/richtext/stored_text.h"
#include "report/memo_view.h"

#include <optional>
#include <vector>

namespace vx {

// Bit 15 of Flags: "Non calcola espressioni", the brackets print as they are.
enum : uint16_t { rfNoExpressions = 0x8000 };

class TvxRichView : public TvxCustomMemoView {
public:
    explicit TvxRichView(TvxReport* report);
    ~TvxRichView() override;

    QString ClassName() const override { return QStringLiteral("TvxRichView"); }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;
    // The blob or memo field's content as rich text (RTF or plain text) for
    // the record being printed; the stored RichText stays as it is.
    void LoadFromField(const QVariant& value) override;
    void AddMenuItems(std::vector<MenuItem>& menu) override;
    // The height of the last printed line, or of the line before the last
    // one that fits in SplitRoom; 2 without lines.
    int32_t GetLineHeight() const override;
    // WorkRich takes the rich text (the field's, when one was loaded for
    // this record); while preparing, its expressions are expanded.
    void ExpandText() override;

    bool NoExpressions() const { return Flags & rfNoExpressions; }
    // Lays WorkRich out and fills LineHeights and LineCount.
    void MeasureLines();
    // The width the text is laid out in: that of the rectangle it is drawn
    // into (the same for measuring, printing and designing).
    int32_t LayoutWidth() const;

    std::vector<uint16_t> LineHeights; // of the expanded text's lines
    int32_t LineCount = 0;
    int32_t NextChar = 0; // where the next part of a split text starts
    uint8_t Measured = 0;
    uint8_t Expanded = 0;
    rich::Document WorkRich;   // the expanded copy that is measured and printed
    rich::StoredText RichText; // the stored rich text

private:
    void drawDesigning(Canvas& canvas);
    void expandRecord();
    void finishRecord();
    // Returns true when the whole text has been printed.
    bool renderWhole(Canvas& canvas);
    bool renderLines(Canvas& canvas);
    QRect textRect() const;

    rich::Layout workLayout_;
    std::optional<rich::StoredText> fieldText_;
};

// Adds the class to the add-in registry with its hint "Inserisci oggetto
// RichText" (once; later calls change nothing).
void RegisterRichTextAddIn();

} // namespace vx
