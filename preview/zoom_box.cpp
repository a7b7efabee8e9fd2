#include "preview/zoom_box.h"

#include "preview/preview_geometry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace vx::preview {

namespace {

// A line edit keeps this many pixels free on each side of its text, and the
// cursor after the last character takes one more.
constexpr int kLineEditMargin = 2;
constexpr int kCursorWidth = 1;
// The smallest font the edit field is given (pixels); below it the text
// would not be legible.
constexpr int kSmallestFontPixels = 7;
// The drop-down button's width (pixels): narrower than most styles make it,
// which leaves the text a third more room at the box's fixed width.
constexpr int kArrowWidth = 12;

// The application's style with a narrow drop-down button on combo boxes:
// the edit field takes what the button gives up.
class NarrowArrowStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        const QRect r = QProxyStyle::subControlRect(control, option, part, widget);
        if (control != CC_ComboBox)
            return r;
        const int spare =
            QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget).width() -
            kArrowWidth;
        if (spare <= 0)
            return r;
        if (part == SC_ComboBoxArrow)
            return r.adjusted(spare, 0, 0, 0);
        if (part == SC_ComboBoxEditField)
            return r.adjusted(0, 0, spare, 0);
        return r;
    }
};

// The edit field's rectangle as the box's style places it.
QRect editField(const QComboBox& box) {
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.rect = QRect(QPoint(0, 0), box.size());
    option.editable = true;
    option.frame = box.hasFrame();
    option.subControls = QStyle::SC_All;
    return box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                       &box);
}

// The room for text in an edit field `fieldWidth` pixels wide.
int roomIn(int fieldWidth, const QLineEdit& edit) {
    const QMargins text = edit.textMargins();
    return fieldWidth - text.left() - text.right() - 2 * kLineEditMargin - kCursorWidth;
}

bool allFit(const QFont& font, const QStringList& texts, int room) {
    const QFontMetrics fm(font);
    return std::all_of(texts.begin(), texts.end(),
                       [&](const QString& t) { return fm.horizontalAdvance(t) <= room; });
}

// The list's width: the widest caption as the list's item delegate lays it
// out, plus the list's frame.
void widenList(QComboBox& box) {
    QAbstractItemView* view = box.view();
    QStyleOptionViewItem option;
    option.initFrom(view);
    int widest = 0;
    for (int row = 0; row < box.count(); ++row)
        widest = std::max(widest, view->itemDelegate()
                                      ->sizeHint(option, box.model()->index(row, box.modelColumn()))
                                      .width());
    view->setMinimumWidth(widest + 2 * view->frameWidth());
}

} // namespace

QStringList zoomBoxTexts(QChar decimalSeparator) {
    QStringList texts;
    for (const QString& entry : zoomListEntries())
        if (entry.endsWith(QLatin1Char('%')))
            texts << entry;
    return texts << formatZoomText(8888.8, decimalSeparator);
}

int zoomBoxTextRoom(const QComboBox& box) {
    const QLineEdit* edit = box.lineEdit();
    return edit ? roomIn(edit->width(), *edit) : 0;
}

int zoomBoxTextWidth(const QComboBox& box, const QString& text) {
    const QWidget* field = box.lineEdit() ? static_cast<const QWidget*>(box.lineEdit()) : &box;
    return field->fontMetrics().horizontalAdvance(text);
}

void showZoomText(QComboBox& box, const QString& text) {
    box.setEditText(text);
    // From its first character: a line edit keeps the scroll offset of a
    // longer text it once held, and reserves room for the widest overhang
    // any glyph of the face has before it lays a text out unscrolled.
    if (QLineEdit* edit = box.lineEdit())
        edit->setCursorPosition(0);
}

void fitZoomBox(QComboBox& box, const QStringList& texts) {
    QLineEdit* edit = box.lineEdit();
    if (!edit)
        return;
    QStyle* style = new NarrowArrowStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(&box);
    box.setStyle(style);
    const int room = roomIn(editField(box).width(), *edit);
    // The list keeps the font it has; the box (which hands its font to its
    // edit field) gets the one that fits.
    QFont listFont = box.view()->font();
    listFont.setResolveMask(QFont::AllPropertiesResolved);
    box.view()->setFont(listFont);
    QFont font = box.font();
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > kSmallestFontPixels && !allFit(font, texts, room))
        font.setPixelSize(--pixels);
    box.setFont(font);
    widenList(box);
}

} // namespace vx::preview
