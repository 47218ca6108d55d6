#include "mdlResources.h"

#include <QString>

QIcon mdlResources::ApplicationIcon() {
    // The bitmaps need no image format plugin, unlike the .ico file.
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/ferrule16.bmp"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/res/ferrule32.bmp"), QSize(32, 32));
    return icon;
}
