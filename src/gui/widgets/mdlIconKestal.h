#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;

// File icons for the player's control strip, and the program's own icon.
namespace mdlIconKestal {

// Clears the picture area and draws the icon of path into it at (x, y), width × height
// pixels. An existing file gets the icon of its type; a missing one the icon its
// extension would have; the program itself gets the program's icon.
void drawFileIcon(QLabel* picture, const QString& path, int x = 0, int y = 0, int width = 16,
                  int height = 16);

// The icon of path at size × size pixels, chosen as drawFileIcon chooses it; never null.
QPixmap fileIcon(const QString& path, int size = 16);

// The program's own icon (a film strip with a turtle shell), drawn in every usual size.
QIcon programIcon();

}  // namespace mdlIconKestal
