#pragma once

// TvxOLEView: an object embedding a document of another program (an OLE
// object) that prints the object's picture inside its frame, at its natural
// size or stretched, optionally keeping its proportions and centred. The
// object's bytes are kept exactly as stored; this platform has no OLE
// servers, so the picture drawn is the presentation the object stored for
// its containers, or a neutral placeholder with its class name. Nothing in
// the bytes is ever executed.

#include "platform/ole/ole_storage.h"
#include "report/picture_view.h"

#include <QSize>

#include <memory>

namespace vx {

// The embedded object of an OLE object: the container's stream byte for
// byte, and what it shows (read once, when first asked).
class OleContainer {
public:
    bool isEmpty() const { return stream_.isEmpty(); }
    // The container's stream: "BDOC", draw aspect, size, storage.
    const QByteArray& stream() const { return stream_; }
    void setStream(const QByteArray& stream);
    void clear();
    uint32_t aspect() const;
    // Class name and presentation read from the storage.
    const ole::EmbeddedObject& object() const;

    bool operator==(const OleContainer& other) const { return stream_ == other.stream_; }

private:
    QByteArray stream_;
    mutable std::shared_ptr<const ole::EmbeddedObject> object_;
};

class TvxOLEView : public TvxCustomPictureView {
public:
    explicit TvxOLEView(TvxReport* report);
    ~TvxOLEView() override;

    QString ClassName() const override { return QStringLiteral("TvxOLEView"); }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;
    // The blob field's object for the record being printed (the stored one
    // stays as it is): a container's stream, or a bare compound file, which
    // is kept in a container's stream with the content aspect. Other bytes
    // raise "Il campo non contiene un oggetto OLE.".
    void LoadFromField(const QVariant& value) override;

    // Sets the stored object from a container's stream or a compound file
    // (as LoadFromField takes them).
    void SetObject(const QByteArray& bytes);

    // The natural size of an object in pixels: its presentation's extent,
    // (0, 0) when it reports none.
    static QSize NaturalSize(const OleContainer& container);
    // The rectangle the picture of an object of that natural size is drawn
    // into, by the stretch, proportion and centring options.
    QRect ObjectRect(QSize natural) const;

    OleContainer Container;      // the object stored in the template
    OleContainer FieldObject;    // the object last read from a blob field
    uint8_t LoadedFromField = 0; // set when LoadFromField ran in this draw
};

// The message of a blob field that holds no OLE object.
QString noOleObjectInFieldMessage();

// Adds the class to the add-in registry with its hint "Inserisci oggetto OLE"
// (once; later calls change nothing).
void RegisterOleAddIn();

} // namespace vx
