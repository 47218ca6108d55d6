// The pictures compiled into the application (ferrule_resources): their resource paths and the window icon.
#pragma once

#include <QIcon>

namespace mdlResources {

/// The drop box's built-in idle and busy pictures: 128 × 128, 8-bit with a 256-colour palette.
inline constexpr char DropBoxPicture[] = ":/res/DIB_DROPBOX.bmp";
inline constexpr char DropBoxPictureBusy[] = ":/res/DIB_DROPBOX_BUSY.bmp";

/// The window icon as one file holding both sizes.
inline constexpr char IconFile[] = ":/res/ferrule.ico";

/// The window icon with its 16 × 16 and 32 × 32 images.
QIcon ApplicationIcon();

} // namespace mdlResources
