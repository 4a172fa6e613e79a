#pragma once
// The program's pictures: the toolbar icons and the splash picture. Drawn
// from their SVG files where Qt Svg is (pictures_svg.cpp); the Windows
// build has no Qt Svg and takes PNG files rendered from the same SVG files
// at build time (pictures_png.cpp).

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace vmk {

// Registers the pictures' resources (those of a static library are
// registered by hand); before the first picture is asked for.
void registerPictures();

// Toolbar icon `index` (0..8, the `ImageIndex` of the actions).
QIcon toolbarIcon(int index);

// The splash picture, `size` large, on black.
QPixmap splashPicture(const QSize& size);

}  // namespace vmk
