#pragma once

// A recorded page read back as one line of text per drawing record, for
// tests of objects that draw into EMF pages:
//   pen STYLE WIDTH RRGGBB     (a pen selected; colour as red, green, blue)
//   brush STYLE RRGGBB
//   font HEIGHT ESCAPEMENT FACE
//   ellipse|rectangle L,T,R,B  (as stored: right and bottom exclusive)
//   roundrect L,T,R,B CW,CH
//   move X,Y / line X,Y / polygon X,Y X,Y ...
//   fill X,Y,W,H               (a pattern blit: a filled rectangle)
//   text X,Y "TEXT"
//   clip L,T,R,B / save / restore / transform M11,M22,DX,DY
// Records of other kinds are left out.

#include <QByteArray>
#include <QStringList>

namespace vx::test {

QStringList DumpEmf(const QByteArray& emf);

// The strings of the text records with the style of the font they are drawn
// in: "TEXT|" plus b (bold), i (italic), u (underline), in record order.
QStringList StyledTexts(const QByteArray& emf);

// The lines that begin with `prefix`.
QStringList linesStartingWith(const QStringList& lines, const QString& prefix);

} // namespace vx::test
