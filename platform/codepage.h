#pragma once

// Windows-1252, the code page of text in stored files. Every byte maps to a
// character (the five bytes the code page leaves undefined map to the C1
// control characters of the same value, as Windows does), so decoding never
// fails; characters the code page cannot hold encode as '?'.

#include <QByteArray>
#include <QChar>
#include <QString>

namespace vx {

QString fromCp1252(const QByteArray& bytes);
QString fromCp1252(const char* data, qsizetype size);
QChar cp1252ToChar(unsigned char byte);

QByteArray toCp1252(const QString& text);
// The byte for one character, or '?' when the code page has none.
char charToCp1252(QChar c);
bool isCp1252Encodable(QChar c);

} // namespace vx
