// The zoom box keeps its place and width and shows its texts whole: the
// rendered width of each text it can hold against its edit field, and of
// each caption of its list against the list.

#include "platform/locale_settings.h"
#include "preview/standard_preview.h"
#include "preview/zoom_box.h"
#include "tests/preview/preview_fixtures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

#include <algorithm>

namespace vx {
namespace {

TEST(ZoomBox, ShowsItsWholeTextAndCaptionsAtItsWidth) {
    setLocaleSettings(LocaleSettings::italian());
    auto report = test::a4Report(2);
    TStandardPreview window;
    window.setReport(report.get());
    window.resize(1280, 1024);
    window.show();
    QApplication::processEvents();
    QComboBox& box = *window.zoomBox();
    EXPECT_EQ(box.geometry(), QRect(4, 6, 62, 21));

    // Every zoom text fits the edit field: 156,9% ("Larghezza" at 1280 x
    // 1024) and 150,5% were seen cut to 56.9% and 50,5%.
    const int room = preview::zoomBoxTextRoom(box);
    for (const QString& text : preview::zoomBoxTexts(QLatin1Char(',')))
        EXPECT_LE(preview::zoomBoxTextWidth(box, text), room) << text.toStdString();

    // And is drawn whole: its ink starts inside the field's left edge and
    // ends before its right one, as wide as the text (not scrolled or cut).
    for (const double zoom : {156.9, 150.5, 3199.9, 25.0, 100.0}) {
        window.SetZoom(zoom);
        QApplication::processEvents();
        const QString text = box.currentText();
        const QImage image = box.lineEdit()->grab().toImage();
        int left = image.width();
        int right = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        const int advance = preview::zoomBoxTextWidth(box, text);
        EXPECT_GE(left, 1) << text.toStdString();
        EXPECT_LE(right, image.width() - 2) << text.toStdString();
        EXPECT_GE(right - left + 1, advance - 3) << text.toStdString();
    }

    box.showPopup();
    QApplication::processEvents();
    QAbstractItemView* list = box.view();
    QStyleOptionViewItem option;
    option.initFrom(list);
    for (int row = 0; row < box.count(); ++row) {
        const QModelIndex index = box.model()->index(row, 0);
        EXPECT_LE(list->itemDelegate()->sizeHint(option, index).width(), list->viewport()->width())
            << box.itemText(row).toStdString();
        EXPECT_LE(list->fontMetrics().horizontalAdvance(box.itemText(row)),
                  list->visualRect(index).width())
            << box.itemText(row).toStdString();
    }
    box.hidePopup();
    resetLocaleSettings();
}

} // namespace
} // namespace vx
