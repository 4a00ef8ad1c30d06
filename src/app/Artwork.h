#pragma once

#include <QIcon>
#include <QPixmap>

//! The program's pictures, drawn at run time so the build ships no binary images.
namespace Artwork {
QIcon AppIcon();
//! The splash picture, 286 by 162 pixels.
QPixmap SplashPicture();
//! The banner on the "说明" page.
QPixmap IllustratePicture();
} // namespace Artwork
