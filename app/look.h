// The program's look: the type faces standing in for the Windows fonts the
// layout was drawn with, the window colour, and the pictures compiled in from
// app/resources/.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;

namespace tessil {

// Faces by the Windows font they stand in for; each maps to a metric-compatible
// free face so that texts fit the fixed layout.
enum class Face {
  Sans,    // MS Sans Serif, Arial
  Serif,   // Times New Roman
  Mono,    // Courier
  Narrow,  // Arial Narrow
};

struct FontSpec {
  Face face;
  int pixels;  // character height in pixels
  bool bold = false;
  bool italic = false;
};

QFont MakeFont(const FontSpec& wanted);

// Widens a label whose text runs past its width in the substitute face: the
// labels were sized to their text, and a clipped letter helps nobody.
void FitWidth(QLabel& label);

// The light three-dimensional colour of the window background and the group boxes.
inline const QColor kWindowColour{227, 227, 227};

// A picture of app/resources/, by file name ("socket_empty.svg"), drawn at the
// given size on a transparent background.
QPixmap Picture(const QString& name, QSize size);

// The window icon, drawn at the usual icon sizes.
QIcon ApplicationIcon();

}  // namespace tessil
