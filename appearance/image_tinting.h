#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The image drawn at full opacity and then covered with `tintColor` where it is opaque
// (source-atop): every pixel takes the colour and keeps its alpha. Tinting is done at
// the size and pixel ratio the image is drawn at, so vector images stay crisp. Without a
// tint colour, the image itself.
QIcon kp_imageWithTintColor(const QIcon& image, const QColor& tintColor);

// The program's bundled image of that name (":/images/<name>.svg" or ".png"); a null
// icon when there is none.
QIcon kp_imageWithName(const QString& name);
QIcon kp_imageWithName(const QString& name, const QColor& tintColor);
