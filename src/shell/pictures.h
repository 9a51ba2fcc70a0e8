#pragma once
// The program's own pictures, drawn at run time: the toolbar image list
// (imlToolBar24) and the program's picture for the splash and About box.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace tav {

// "New", "Edit", "ZOK", "Graf", "Pac", "Time", "Help", "Grafic";
// a null icon for any other name.
QIcon toolBarPicture(const QString& name);
QStringList toolBarPictureNames();

// The program's picture: a tooth on a blue disc.
QPixmap programPicture(int size);

} // namespace tav
