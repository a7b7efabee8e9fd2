#include "platform/emf/emf_player.h"

#include "platform/emf/emf_player_impl.h"

namespace vx::emf {

EmfPlayer::EmfPlayer(EmfPicture picture)
    : picture_(std::move(picture)), impl_(std::make_unique<Impl>(*this)) {}

EmfPlayer::~EmfPlayer() {
    if (impl_->begun)
        end();
}

const PlaybackState& EmfPlayer::state() const {
    return impl_->st;
}
QTransform EmfPlayer::deviceToDestination() const {
    return impl_->deviceToDest * impl_->base;
}
QTransform EmfPlayer::logicalToDestination() const {
    return impl_->logicalToDest();
}
QTransform EmfPlayer::logicalToDevice() const {
    return impl_->logicalToDevice();
}

void EmfPlayer::syncCanvas() {
    if (!canvas_)
        return;
    impl_->applyObjects();
    impl_->applyTransform();
}

void EmfPlayer::begin(Canvas& canvas, const QRectF& dest) {
    if (impl_->begun)
        end();
    canvas_ = &canvas;
    Impl& m = *impl_;
    m.canvas = &canvas;
    m.begun = true;
    m.base = canvas.worldTransform();
    QRectF frame = picture_.frameInDevicePixels();
    if (!(frame.width() > 0 && frame.height() > 0)) {
        const RectL& b = picture_.header().bounds;
        frame = QRectF(b.left, b.top, double(b.right) - b.left + 1, double(b.bottom) - b.top + 1);
    }
    if (frame.width() > 0 && frame.height() > 0)
        m.deviceToDest =
            QTransform::fromTranslate(-frame.left(), -frame.top()) *
            QTransform::fromScale(dest.width() / frame.width(), dest.height() / frame.height()) *
            QTransform::fromTranslate(dest.left(), dest.top());
    else
        m.deviceToDest = QTransform::fromTranslate(dest.left(), dest.top());
    m.resetState();
    m.canvasLevel = canvas.saveState();
    m.applyObjects();
    m.applyTransform();
}

void EmfPlayer::playRecord(const EmfRecord& record) {
    if (!impl_->begun || !record.data || record.size < 8)
        return;
    impl_->play(record);
}

void EmfPlayer::end() {
    Impl& m = *impl_;
    if (!m.begun)
        return;
    m.canvas->restoreState(m.canvasLevel);
    m.canvas->setWorldTransform(m.base);
    m.begun = false;
    canvas_ = nullptr;
}

void EmfPlayer::play(Canvas& canvas, const QRectF& dest) {
    play(canvas, dest, RecordCallback());
}

void EmfPlayer::play(Canvas& canvas, const QRectF& dest, const RecordCallback& callback) {
    begin(canvas, dest);
    const int n = picture_.recordCount();
    for (int i = 0; i < n; ++i) {
        const EmfRecord rec = picture_.record(i);
        impl_->st.recordIndex = i;
        const RecordAction action = callback ? callback(*this, rec, i) : RecordAction::Play;
        if (action == RecordAction::Stop)
            break;
        if (action == RecordAction::Play)
            impl_->play(rec);
    }
    end();
}

} // namespace vx::emf
