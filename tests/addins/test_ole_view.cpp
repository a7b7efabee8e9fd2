// The OLE object: its template record kept byte for byte, the drawn size
// and place of the object, its presentation picture or placeholder, and
// objects taken from blob fields.
#include "addins/ole/ole_view.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/template_messages.h"
#include "tests/report/report_fixture.h"
#include "tests/support/compound_file.h"
#include "tests/support/fake_canvas.h"
#include "tests/support/rich_text_helpers.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace vx;

namespace {

// A worksheet-like object whose presentation is a red metafile of 50.8 x
// 25.4 mm.
QByteArray worksheet(bool withPicture = true) {
    std::vector<test::CompoundStream> streams = {{QByteArray("\x01"
                                                             "CompObj",
                                                             8),
                                                  test::makeCompObj("Foglio", "Excel.Sheet.8")}};
    if (withPicture)
        streams.push_back({QByteArray("\x02OlePres000", 11),
                           test::makePresentationStream(ole::CF_ENHMETAFILE, ole::kAspectContent,
                                                        5080, 2540, test::makeRedMetafile())});
    return ole::makeContainerStream(test::makeCompoundFile(streams));
}

class OleViewTest : public test::ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        RegisterOleAddIn(); // templates find the class by name
    }
    std::unique_ptr<TvxOLEView> oleView(const QByteArray& stream) {
        auto view = std::make_unique<TvxOLEView>(&report);
        if (!stream.isEmpty())
            view->SetObject(stream);
        view->Left = 10;
        view->Top = 20;
        view->Width = 100;
        view->Height = 50;
        return view;
    }
    TvxReport report;
};

struct RectCase {
    const char* name;
    uint16_t flags;
    QSize natural;
    QRect expected; // as edges: left, top, right, bottom
};

class OleObjectRect : public ::testing::TestWithParam<RectCase> {};

} // namespace

TEST_P(OleObjectRect, SizesAndPlacesTheObject) {
    const RectCase& c = GetParam();
    TvxOLEView view(nullptr);
    view.Flags = c.flags;
    view.DrawRect = {0, 0, 400, 100};
    const QRect r = view.ObjectRect(c.natural);
    EXPECT_EQ(QRect(QPoint(r.left(), r.top()), QPoint(r.right() + 1, r.bottom() + 1)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OleObjectRect,
    ::testing::Values(
        RectCase{"natural_size", 0, {192, 96}, QRect(QPoint(0, 0), QPoint(192, 96))},
        RectCase{"natural_size_centred",
                 pfCenterPicture,
                 {192, 96},
                 QRect(QPoint(104, 2), QPoint(296, 98))},
        RectCase{"stretched", pfStretchPicture, {192, 96}, QRect(QPoint(0, 0), QPoint(400, 100))},
        RectCase{"keep_aspect_in_a_frame_twice_as_wide",
                 pfStretchPicture | pfKeepAspect,
                 {100, 50},
                 QRect(QPoint(0, 0), QPoint(200, 100))},
        RectCase{"keep_aspect_centred",
                 pfStretchPicture | pfKeepAspect | pfCenterPicture,
                 {100, 50},
                 QRect(QPoint(100, 0), QPoint(300, 100))},
        RectCase{"keep_aspect_without_extent_fills_the_frame",
                 pfStretchPicture | pfKeepAspect,
                 {0, 0},
                 QRect(QPoint(0, 0), QPoint(400, 100))},
        RectCase{
            "no_extent_not_stretched_is_not_drawn", 0, {0, 0}, QRect(QPoint(0, 0), QPoint(0, 0))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OleViewTest, DrawsThePresentationPicture) {
    auto view = oleView(worksheet());
    EXPECT_EQ(TvxOLEView::NaturalSize(view->Container), QSize(192, 96));
    QImage image(140, 90, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        PrintMode = true;
        view->Draw(canvas);
    }
    EXPECT_EQ(image.pixel(60, 45), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255)); // outside the object
}

struct PlaceholderCase {
    const char* name;
    QByteArray stream;
    QStringList texts;
};

class OlePlaceholder : public OleViewTest, public ::testing::WithParamInterface<PlaceholderCase> {};

TEST_P(OlePlaceholder, ShowsTheClassNameWhenNoPictureCanBeDrawn) {
    auto view = oleView(GetParam().stream);
    PrintMode = true;
    test::FakeCanvas canvas;
    view->Draw(canvas);
    EXPECT_EQ(test::drawnTexts(canvas), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OlePlaceholder,
    ::testing::Values(
        PlaceholderCase{
            "arbitrary_bytes", ole::makeContainerStream(QByteArray(300, 'z')), {"Oggetto OLE"}},
        PlaceholderCase{"compound_file_without_picture", worksheet(false), {"Excel.Sheet.8"}},
        PlaceholderCase{"no_object_prints_nothing", QByteArray(), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OleViewTest, DesignerMarksAnEmptyObject) {
    auto view = oleView(QByteArray());
    test::FakeCanvas canvas;
    view->Draw(canvas);
    EXPECT_EQ(canvas.only("text"),
              QStringList{"text 12,22 \"[OLE]\" opt=0 clip=0,0,0,0 font=Arial/-11"});
}

TEST_F(OleViewTest, TemplateResavesByteForByte) {
    const QByteArray stream = worksheet();
    auto view = oleView(stream);
    view->Flags = pfStretchPicture | pfKeepAspect;
    report.Pages->Pages(0).Add(std::move(view));
    report.Pages->Pages(0).Add(oleView(QByteArray()));
    const QByteArray saved = report.SaveToBytes();
    TvxReport loaded;
    loaded.LoadFromBytes(saved);
    ASSERT_EQ(loaded.Pages->Pages(0).Count(), 2);
    const auto* back = dynamic_cast<TvxOLEView*>(loaded.Pages->Pages(0).Object(0));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Container.stream(), stream);
    EXPECT_TRUE(dynamic_cast<TvxOLEView*>(loaded.Pages->Pages(0).Object(1))->Container.isEmpty());
    EXPECT_EQ(loaded.SaveToBytes(), saved);
    EXPECT_TRUE(messages().empty());
}

// A signature or size that does not fit is the load error of the pages.
TEST_F(OleViewTest, DamagedObjectFailsTheLoad) {
    const QByteArray stream = worksheet();
    report.Pages->Pages(0).Add(oleView(stream));
    const QByteArray saved = report.SaveToBytes();
    const qsizetype at = saved.indexOf(stream);
    ASSERT_GT(at, 0);
    QByteArray badSignature = saved;
    badSignature[at] = 'X';
    QByteArray badSize = saved;
    badSize[at + 11] = '\x7F';
    for (const QByteArray& bytes : {badSignature, badSize}) {
        TvxReport loaded;
        clearMessages();
        loaded.LoadFromBytes(bytes);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, loadFailedMessage());
    }
}

TEST_F(OleViewTest, FieldObjectsServeTheRecordOnly) {
    const QByteArray stored = worksheet();
    auto view = oleView(stored);
    const QByteArray bare = test::makeCompoundFile({});
    view->LoadFromField(QVariant(bare));
    EXPECT_EQ(view->FieldObject.stream(), ole::makeContainerStream(bare));
    view->LoadFromField(QVariant(stored + "coda"));
    EXPECT_EQ(view->FieldObject.stream(), stored);
    view->LoadFromField(QVariant());
    EXPECT_TRUE(view->FieldObject.isEmpty());
    try {
        view->LoadFromField(QVariant(QByteArray("non un oggetto")));
        FAIL() << "junk accepted";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), noOleObjectInFieldMessage());
    }
    EXPECT_EQ(view->Container.stream(), stored);
}
