#pragma once

// The zoom box of the preview's tool bar: an editable combo box of fixed
// place and width (62 pixels) that shows its whole text, with a drop-down
// list that shows its captions whole.

#include <QChar>
#include <QStringList>

class QComboBox;

namespace vx::preview {

// The texts the box's edit field must show whole: the zoom texts, up to the
// longest (four digits and a decimal, in the widest digit). The captions
// "Larghezza", "Una pagina", "Due pagine" stand in the box only until the
// zoom they give is written there; the list shows them whole.
QStringList zoomBoxTexts(QChar decimalSeparator);

// The width (pixels) the box's edit field gives its text: the field less
// the line edit's own margins and room for the cursor.
int zoomBoxTextRoom(const QComboBox& box);

// The width a text takes in the box's edit field.
int zoomBoxTextWidth(const QComboBox& box, const QString& text);

// Writes a zoom text into the box, shown from its first character.
void showZoomText(QComboBox& box, const QString& text);

// Narrows the box's drop-down button, gives its edit field the largest
// font, not above its present one, in which every text fits, and makes the
// drop-down list at least as wide as its widest caption needs. The box's
// geometry must be set.
void fitZoomBox(QComboBox& box, const QStringList& texts);

} // namespace vx::preview
