#include "addins/ole/ole_view.h"

#include "addins/button_bitmap.h"
#include "platform/errors.h"
#include "platform/ole/ole_picture.h"
#include "report/addin_registry.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/template_messages.h"
#include "report/value_expansion.h"

#include <cmath>

namespace vx {

namespace {

// Screen resolution the natural extent is converted at.
constexpr int kScreenPixelsPerInch = 96;

// The bytes as a container's stream, or empty when they are none.
QByteArray containerStreamFrom(const QByteArray& bytes) {
    if (ole::parseContainerStream(bytes))
        return bytes;
    ByteReader in(bytes);
    QByteArray prefix = ole::readContainerStream(in); // bytes after it are not the object's
    if (in.ok())
        return prefix;
    if (ole::isCompoundFile(bytes))
        return ole::makeContainerStream(bytes);
    return QByteArray();
}

void drawObject(Canvas& c, const OleContainer& container, const QRect& rect) {
    const ole::EmbeddedObject& object = container.object();
    if (object.presentation && ole::drawPresentation(c, *object.presentation, rect))
        return;
    ole::drawPlaceholder(c, rect, object.className);
}

void drawEmptyMark(Canvas& c, int32_t x, int32_t y) {
    FontSpec font;
    font.face = QStringLiteral("Arial");
    font.height = -11; // 8 points
    c.setFont(font);
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    c.textOut(x, y, QStringLiteral("[OLE]"));
}

} // namespace

void OleContainer::setStream(const QByteArray& stream) {
    stream_ = stream;
    object_.reset();
}

void OleContainer::clear() {
    stream_.clear();
    object_.reset();
}

uint32_t OleContainer::aspect() const {
    const auto parsed = ole::parseContainerStream(stream_);
    return parsed ? parsed->aspect : ole::kAspectContent;
}

const ole::EmbeddedObject& OleContainer::object() const {
    if (!object_) {
        const auto parsed = ole::parseContainerStream(stream_);
        object_ = std::make_shared<const ole::EmbeddedObject>(
            parsed ? ole::readEmbeddedObject(parsed->storage, parsed->aspect)
                   : ole::EmbeddedObject());
    }
    return *object_;
}

QString noOleObjectInFieldMessage() {
    return QStringLiteral("Il campo non contiene un oggetto OLE.");
}

TvxOLEView::TvxOLEView(TvxReport* report) : TvxCustomPictureView(report) {
    ObjectType = otAddIn;
    Flags = pfStretchPicture;
    AssignDefaultName();
}

TvxOLEView::~TvxOLEView() = default;

void TvxOLEView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* ole = dynamic_cast<const TvxOLEView*>(&source))
        Container = ole->Container;
    else
        Container.clear();
}

void TvxOLEView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    const uint8_t hasObject = in.u8();
    checkStream(in);
    if (hasObject > 1)
        throw VxError(streamReadErrorMessage());
    Container.clear();
    if (hasObject == 1) {
        const QByteArray stream = ole::readContainerStream(in);
        checkStream(in);
        Container.setStream(stream);
    }
}

void TvxOLEView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    out.u8(Container.isEmpty() ? 0 : 1);
    out.bytes(Container.stream());
}

void TvxOLEView::SetObject(const QByteArray& bytes) {
    const QByteArray stream = containerStreamFrom(bytes);
    if (stream.isEmpty())
        throw VxError(noOleObjectInFieldMessage());
    Container.setStream(stream);
}

void TvxOLEView::LoadFromField(const QVariant& value) {
    LoadedFromField = 1;
    if (value.isNull()) {
        FieldObject.clear();
        return;
    }
    const QByteArray stream = containerStreamFrom(value.toByteArray());
    if (stream.isEmpty())
        throw VxError(noOleObjectInFieldMessage());
    if (stream != FieldObject.stream())
        FieldObject.setStream(stream);
}

QSize TvxOLEView::NaturalSize(const OleContainer& container) {
    const ole::EmbeddedObject& object = container.object();
    return object.presentation ? ole::naturalSize(*object.presentation, kScreenPixelsPerInch)
                               : QSize(0, 0);
}

QRect TvxOLEView::ObjectRect(QSize natural) const {
    const int32_t dw = DrawRect.Right - DrawRect.Left;
    const int32_t dh = DrawRect.Bottom - DrawRect.Top;
    int32_t w = natural.width(), h = natural.height();
    if (Flags & pfStretchPicture) {
        w = dw;
        h = dh;
        // Proportions need the natural extent; without one the object fills
        // the frame.
        if ((Flags & pfKeepAspect) && natural.width() > 0 && natural.height() > 0 && dw > 0 &&
            dh > 0) {
            const double fx = double(dw) / natural.width();
            const double fy = double(dh) / natural.height();
            if (fx > fy)
                w = int32_t(std::nearbyint(fy / fx * dw));
            else
                h = int32_t(std::nearbyint(fx / fy * dh));
        }
    }
    int32_t ox = 0, oy = 0;
    if (Flags & pfCenterPicture) {
        ox = (dw - w + 1) / 2;
        oy = (dh - h + 1) / 2;
    }
    const int32_t left = DrawRect.Left + ox, top = DrawRect.Top + oy;
    return rectFromEdges(left, top, left + w, top + h);
}

void TvxOLEView::Draw(Canvas& c) {
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const OleContainer* container = &Container;
    if (PrintMode) {
        ExpandedLines = Lines;
        LoadedFromField = 0;
        FillFromField(Report, Lines, this);
        if (LoadedFromField)
            container = &FieldObject;
    }
    ComputeDrawRect();
    FillBackground();
    if (!container->isEmpty()) {
        const QRect rect = ObjectRect(NaturalSize(*container));
        if (!SilentPass && !rect.isEmpty()) {
            const int level = c.saveState();
            c.intersectClipRect(rectFromEdges(Left, Top, Left + Width + 1, Top + Height + 1));
            drawObject(c, *container, rect);
            c.restoreState(level);
        }
    } else if (!PrintMode) {
        drawEmptyMark(c, Left + 2, Top + 2);
    }
    DrawFrameLines();
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

void RegisterOleAddIn() {
    RegisterAddInObject(
        QStringLiteral("TvxOLEView"),
        [](TvxReport* report) { return std::make_unique<TvxOLEView>(report); },
        ButtonBitmap(AddInButton::Ole), QStringLiteral("Inserisci oggetto OLE"));
}

} // namespace vx
