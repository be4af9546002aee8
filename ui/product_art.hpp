#pragma once
// The product's pictures, drawn in code so that no image plug-in is needed: the icon (an
// envelope in front of a folder) and the logo of the start window's top band.
#include <QIcon>
#include <QPixmap>

namespace ferrowick::ui {

QPixmap ProductIconPixmap(int size);
QIcon ProductIcon();
QPixmap ProductLogo();  // 250 x 70

}  // namespace ferrowick::ui
