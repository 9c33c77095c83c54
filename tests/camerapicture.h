#ifndef CAMERAPICTURE_H
#define CAMERAPICTURE_H

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

// Pictures as cameras write them, and checks on where their parts end up.
namespace TestUtils {

using Quadrants = std::array<QColor, 4>; // top left, top right, bottom left, bottom right

const Quadrants plainQuadrants = {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue),
                                  QColor(Qt::white)};
const Quadrants otherQuadrants = {QColor(Qt::yellow), QColor(Qt::cyan), QColor(Qt::magenta),
                                  QColor(Qt::black)};

// A picture in four coloured quadrants, so any turn or mirror shows.
QImage quadrantImage(const QSize &size, const Quadrants &colours = plainQuadrants);

// The colours at the centres of the four quadrants of `area` in `image`.
Quadrants quadrantsOf(const QImage &image, const QRect &area);
inline Quadrants quadrantsOf(const QImage &image) { return quadrantsOf(image, image.rect()); }

// Equal up to what JPEG compression changes.
bool near(const QColor &a, const QColor &b);
bool near(const Quadrants &a, const Quadrants &b);

// What a camera stores for a picture that looks like `upright` when its
// EXIF orientation tag (1 to 8) is honoured.
QImage storedForOrientation(const QImage &upright, int orientation);

// A JPEG of `stored`, with an EXIF block holding the orientation tag
// (none when 0) and, when not null, `thumbnail` as the embedded thumbnail.
bool writeCameraPicture(const QString &path, const QImage &stored, int orientation,
                        const QImage &thumbnail = QImage());

} // namespace TestUtils

#endif
