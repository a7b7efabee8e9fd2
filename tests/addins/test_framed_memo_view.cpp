// The framed text object: defaults, record, editor indexes, and its sides
// recorded into an EMF page and read back stroke by stroke.
#include "addins/framedtext/framed_memo_view.h"
#include "platform/emf/recording_canvas.h"
#include "report/addin_registry.h"
#include "report/library_state.h"
#include "tests/support/emf_dump.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class FramedMemo : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        PrintMode = true;
    }
    void TearDown() override { resetLibraryState(); }

    // A framed text at (10, 20), 100 x 40, all four lines on.
    static std::unique_ptr<TvxFramedMemoView> makeView() {
        auto v = std::make_unique<TvxFramedMemoView>(nullptr);
        v->Left = 10;
        v->Top = 20;
        v->Width = 100;
        v->Height = 40;
        v->FrameLines = frAll;
        return v;
    }
    // The frame's strokes (moves and lines after the 1-pixel pen).
    static QStringList strokes(TvxFramedMemoView& v) {
        emf::RecordingCanvas canvas(QSize(200, 100));
        v.SetCanvas(&canvas);
        v.ComputeDrawRect();
        v.DrawFrameLines();
        const QStringList lines = DumpEmf(canvas.finish());
        QStringList out;
        for (const QString& l : lines)
            if (l.startsWith("move") || l.startsWith("line"))
                out << l;
        return out;
    }
    static QStringList band(const char* axis, std::initializer_list<int> at, int from, int to) {
        QStringList out;
        for (int a : at)
            out << (axis[0] == 'x' ? QStringLiteral("move %1,%2").arg(a).arg(from)
                                   : QStringLiteral("move %1,%2").arg(from).arg(a))
                << (axis[0] == 'x' ? QStringLiteral("line %1,%2").arg(a).arg(to)
                                   : QStringLiteral("line %1,%2").arg(to).arg(a));
        return out;
    }
};

TEST_F(FramedMemo, NewFramedTextDrawsOneRectangleLikePlainText) {
    auto v = makeView();
    EXPECT_EQ(v->ObjectType, otAddIn);
    EXPECT_EQ(v->Name, QStringLiteral("FramedMemo1"));
    for (const TvxFrameSide& s : v->Sides)
        EXPECT_EQ(s, (TvxFrameSide{0, 1}));
    emf::RecordingCanvas canvas(QSize(200, 100));
    v->Draw(canvas);
    EXPECT_EQ(linesStartingWith(DumpEmf(canvas.finish()), "rectangle"),
              QStringList{"rectangle 10,20,111,61"});
}

TEST_F(FramedMemo, DoubleRightSideOfTwoWidensTheFrameAndTheTextGap) {
    auto v = makeView();
    v->Sides[fsRight] = {1, 2};
    v->ComputeDrawRect();
    EXPECT_EQ(v->FrameWidth, 6);
    EXPECT_EQ(v->GapX, 5);
    v->Lines = {QStringLiteral("Totale")};
    emf::RecordingCanvas canvas(QSize(200, 100));
    v->Draw(canvas);
    const QStringList lines = DumpEmf(canvas.finish());
    EXPECT_EQ(linesStartingWith(lines, "text 15,").size(), 1) << lines.join('\n').toStdString();
    // The background reaches under the outer right stroke: 100 + 1 x 2.
    EXPECT_FALSE(lines.contains("fill 10,20,102,40"));
    v->FillColor = kWhite;
    emf::RecordingCanvas filled(QSize(200, 100));
    v->Draw(filled);
    EXPECT_TRUE(DumpEmf(filled.finish()).contains("fill 10,20,102,40"));
}

TEST_F(FramedMemo, DoubleThreePixelRightSideIsTwoBandsOfThreeStrokes) {
    auto v = makeView();
    v->Sides[fsRight] = {1, 3};
    // right: inner band about 110 - 3, outer about 110 + 3; then left, bottom
    // and top single, reaching the right side's half thickness (9 div 2).
    const QStringList expected = band("x", {106, 107, 108}, 20, 60) +
                                 band("x", {112, 113, 114}, 20, 60) + band("x", {10}, 20, 60) +
                                 band("y", {60}, 10, 114) + band("y", {20}, 10, 114);
    EXPECT_EQ(strokes(*v), expected);
}

TEST_F(FramedMemo, DoubleTopAboveAThreePixelLeftStartsOnePixelLeft) {
    auto v = makeView();
    v->FrameLines = frTop;
    v->Sides[fsTop] = {1, 1};
    v->Sides[fsLeft] = {0, 3};
    // outer stroke at T - 1 from L - h(left) = 9; inner at T + 1 from
    // L + h(left) - w(left) + 1 = 9 to L + W + w(right) - h(right) - 1 = 110.
    EXPECT_EQ(strokes(*v), band("y", {19}, 9, 110) + band("y", {21}, 9, 110));
}

TEST_F(FramedMemo, AWidthByteOf255DrawsThreePixels) {
    auto v = makeView();
    v->FrameLines = frLeft;
    v->Sides[fsLeft] = {0, 255};
    EXPECT_EQ(strokes(*v), band("x", {9, 10, 11}, 20, 60));
    EXPECT_EQ(v->FrameWidth, 3);
}

TEST_F(FramedMemo, RecordAddsTheFourSidesRightLeftBottomTop) {
    auto a = makeView();
    a->Sides = {TvxFrameSide{1, 2}, TvxFrameSide{0, 3}, TvxFrameSide{1, 1}, TvxFrameSide{0, 1}};
    a->Lines = {QStringLiteral("Riga")};
    QByteArray text, whole;
    ByteWriter wt(&text), ww(&whole);
    a->TvxMemoView::SaveToStream(wt);
    a->SaveToStream(ww);
    EXPECT_EQ(whole.mid(text.size()).toHex(), QByteArray("0102000301010001"));
    TvxFramedMemoView b(nullptr);
    ByteReader r(whole);
    b.LoadFromStream(r);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    TvxFramedMemoView c(nullptr);
    c.Assign(b);
    EXPECT_EQ(c.Sides, a->Sides);
    EXPECT_EQ(c.Lines, a->Lines);
}

TEST_F(FramedMemo, EditorComboIndexIsKindTimesThreePlusWidthLessOne) {
    EXPECT_EQ(TFramedMemoForm::ComboIndex({1, 2}), 4);
    EXPECT_EQ(TFramedMemoForm::SideOfComboIndex(5), (TvxFrameSide{1, 3}));
    EXPECT_EQ(TFramedMemoForm::SideOfComboIndex(0), (TvxFrameSide{0, 1}));
    EXPECT_EQ(TFramedMemoForm::SideLabels(),
              (QStringList{"Destro", "Sinistro", "Inferiore", "Superiore"}));
    auto v = makeView();
    TFramedMemoForm form;
    form.Open(*v);
    form.SideIndex[fsTop] = 3;
    form.Memo = {QStringLiteral("Nuovo")};
    form.Confirm(*v);
    EXPECT_EQ(v->Sides[fsTop], (TvxFrameSide{1, 1}));
    EXPECT_EQ(v->Lines, QStringList{"Nuovo"});
}

TEST_F(FramedMemo, RegisteredWithItsHintAndMadeByTheFactory) {
    EmptyAddInRegistryGuard emptyRegistry;
    RegisterFramedMemoAddIn();
    RegisterFramedMemoAddIn();
    ASSERT_EQ(AddInObjects().size(), 1u);
    EXPECT_EQ(AddInObjects()[0].ButtonHint, QStringLiteral("Inserisci rettangolo bordato"));
    const std::unique_ptr<TvxView> v = CreateObject(otAddIn, "TvxFramedMemoView");
    EXPECT_NE(dynamic_cast<TvxFramedMemoView*>(v.get()), nullptr);
}

} // namespace
} // namespace vx::test
