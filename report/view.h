#pragma once

// TvxView: the base of every report object (text, picture, band,
// sub-report and the add-in objects), with its persistent fields, the
// engine's run-time geometry and the operations each kind overrides.

#include "platform/canvas.h"
#include "platform/edge_rect.h"
#include "report/stream_helpers.h"

#include <QRegion>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vx {

class TvxReport;
class TvxBand;

// Object type codes (ObjectType).
enum : uint8_t {
    otMemo = 0,
    otPicture = 1,
    otBand = 2,
    otSubReport = 3,
    otAddIn = 10,
};

// Band type codes (FrameLines of a band object).
enum : int {
    btReportTitle = 0,
    btReportSummary = 1,
    btPageHeader = 2,
    btPageFooter = 3,
    btMasterHeader = 4,
    btMasterData = 5,
    btMasterFooter = 6,
    btDetailHeader = 7,
    btDetailData = 8,
    btDetailFooter = 9,
    btSubDetailHeader = 10,
    btSubDetailData = 11,
    btSubDetailFooter = 12,
    btOverlay = 13,
    btColumnHeader = 14,
    btColumnFooter = 15,
    btGroupHeader = 16,
    btGroupFooter = 17,
    btCrossHeader = 18,
    btCrossData = 19,
    btCrossFooter = 20,
    btNone = 21,
};

// The data bands name a report dataset in FormatText.
bool isDataBand(int bandType);
// Bands 18..20 run across the page; all others are horizontal.
bool isVerticalBand(int bandType);

// Frame line bits of FrameLines.
enum : uint16_t {
    frRight = 1,
    frBottom = 2,
    frLeft = 4,
    frTop = 8,
    frAll = 15,
};

// One entry of the designer's context menu.
struct MenuItem {
    QString Caption; // "-" is a separator
    bool Checked = false;
    std::function<void()> Action;
};

class TvxView {
public:
    // Every object is created with the report it belongs to (which may be
    // none). Concrete classes end their constructor with AssignDefaultName().
    explicit TvxView(TvxReport* report);
    virtual ~TvxView();
    TvxView(const TvxView&) = delete;
    TvxView& operator=(const TvxView&) = delete;

    // The class name ("TvxMemoView"); add-in records store it.
    virtual QString ClassName() const = 0;

    // What each kind of object does in its own way.
    virtual bool UsesDataSet() const;
    virtual void ComputeDrawRect();
    virtual void FillBackground();
    virtual void DrawFrameLines();
    virtual void Assign(const TvxView& source);
    virtual void Draw(Canvas& canvas) = 0;
    virtual void LoadFromStream(ByteReader& stream);     // the fields every object has
    virtual void SaveToStream(ByteWriter& stream) const; // the fields every object has
    virtual void LoadFromField(const QVariant& value);   // a null value is a null field
    virtual void AddMenuItems(std::vector<MenuItem>& menu);
    virtual QRegion GetRegion(bool grown) const;

    // Plain operations.
    void SetCanvas(Canvas* canvas); // also makes this object CurrentView
    // Designer rename: shows "Non è possibile assegnare un nome già
    // esistente." or "Formato del nome errato." and returns false when the
    // name is refused.
    bool Rename(const QString& newName);
    // Base name (class name without "Tvx" and "View") + the first free n.
    void AssignDefaultName();
    static bool IsValidName(const QString& name);

    bool FrameRight() const { return FrameLines & frRight; }
    bool FrameBottom() const { return FrameLines & frBottom; }
    bool FrameLeft() const { return FrameLines & frLeft; }
    bool FrameTop() const { return FrameLines & frTop; }
    void SetFrameRight(bool on) { setFrameBit(frRight, on); }
    void SetFrameBottom(bool on) { setFrameBit(frBottom, on); }
    void SetFrameLeft(bool on) { setFrameBit(frLeft, on); }
    void SetFrameTop(bool on) { setFrameBit(frTop, on); }
    void SetFrameAll(bool on) { FrameLines = on ? frAll : 0; }

    // The object's name and links, its run-time geometry, then its place,
    // frame, fill, format and text.
    QString Name;
    TvxReport* Report = nullptr;   // not owned
    TvxBand* ParentBand = nullptr; // set by the engine
    Canvas* canvas = nullptr;      // set before drawing
    EdgeRect DrawRect;
    int32_t GapX = 0;
    int32_t GapY = 0;
    QStringList ExpandedLines;
    // Run-time geometry kept by the engine while stretching and splitting.
    int32_t DesignLeft = 0;
    int32_t DesignTop = 0;
    int32_t DesignWidth = 0;
    int32_t DesignHeight = 0;
    int32_t TopBeforeShift = 0;
    EdgeRect SplitBounds;
    uint8_t ParentBandType = 0;
    uint16_t FrameLines = 0; // band objects: the band type code
    uint8_t ObjectType = 0;
    uint8_t Selected = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Flags = 0;
    int32_t FrameWidth = 1;
    Color FrameColor = kBlack;
    uint16_t FrameStyle = 0;
    Color FillColor = kNoColor;
    int32_t FormatCode = 0; // 512 + the decimal separator's code
    QString FormatText;
    QStringList Lines;
    uint8_t Visible = 1;

    // The format code of a new object: 512 plus the character code of the
    // system decimal separator.
    static int32_t DefaultFormatCode();

protected:
    // Draws the red cross of an invisible object while designing.
    void DrawInvisibleCross();

private:
    void setFrameBit(uint16_t bit, bool on) {
        FrameLines = on ? uint16_t(FrameLines | bit) : uint16_t(FrameLines & ~bit);
    }
};

// This object and every other selected object (Selected set) of its report
// that `applies` accepts: what a designer menu entry acts on.
std::vector<TvxView*> SelectedObjects(TvxView& view, bool (*applies)(const TvxView&));

// A designer menu entry for one option bit of Flags: checked when the bit is
// on; choosing it sets the bit to the opposite of this object's state on
// the objects SelectedObjects gives.
MenuItem FlagMenuItem(TvxView& view, const QString& caption, uint16_t bit,
                      bool (*applies)(const TvxView&));

// Object factory: codes 0..3 create the four built-in classes, 10 the
// registered add-in class named `className` (case matters). An unknown
// add-in class shows "Oggetto non trovato : ..." and throws VxAbort; any
// other code yields none. The object belongs to CurrentReport.
std::unique_ptr<TvxView> CreateObject(int objectType, const QString& className);

// The object of `report` (all pages, in page and object order) other than
// `except` whose Name equals `name` without regard to case.
TvxView* FindObject(const TvxReport* report, const QString& name, const TvxView* except);

// Records the first error of a preparation (see ErrorText).
void SetPreparationError(const QString& detail);

} // namespace vx
