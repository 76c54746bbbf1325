#include "app/look.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <array>

// Outside any namespace, as Qt's resource initialiser requires. The pictures
// live in a static library, so the linker would otherwise drop them.
static void LoadArtwork() {
  Q_INIT_RESOURCE(artwork);
}

namespace tessil {

namespace {

struct FaceInfo {
  QStringList families;  // the first one installed wins
  QFont::StyleHint hint;
};

const FaceInfo& Info(Face face) {
  static const std::array<FaceInfo, 4> table{{
      {{"Liberation Sans", "Arial"}, QFont::SansSerif},
      {{"Liberation Serif", "Times New Roman"}, QFont::Serif},
      {{"Liberation Mono", "Courier New"}, QFont::TypeWriter},
      {{"Liberation Sans Narrow", "Nimbus Sans Narrow", "Arial Narrow"}, QFont::SansSerif},
  }};
  return table.at(static_cast<std::size_t>(face));
}

}  // namespace

QFont MakeFont(const FontSpec& wanted) {
  const FaceInfo& info = Info(wanted.face);
  QFont font(info.families.front());
  font.setFamilies(info.families);
  font.setStyleHint(info.hint);
  font.setFixedPitch(wanted.face == Face::Mono);
  font.setPixelSize(wanted.pixels);
  font.setBold(wanted.bold);
  font.setItalic(wanted.italic);
  return font;
}

void FitWidth(QLabel& label) {
  label.resize(std::max(label.width(), label.sizeHint().width()), label.height());
}

QPixmap Picture(const QString& name, QSize size) {
  static const bool loaded = (LoadArtwork(), true);
  (void)loaded;
  QSvgRenderer renderer(QStringLiteral(":/artwork/") + name);
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64}) icon.addPixmap(Picture("tessil.svg", {side, side}));
  return icon;
}

}  // namespace tessil
