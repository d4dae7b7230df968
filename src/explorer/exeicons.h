#pragma once

#include <QByteArrayView>
#include <QIcon>
#include <QString>

// Icons stored in Windows files, as discs carry them for their autorun icon.
//
// number counts the icon groups of a program or library (.exe, .dll) in
// resource order from 0; a negative number other than -1 names a group by
// its resource id. An icon file (.ico) holds one icon: number 0. The result
// is null when the file holds no such icon or is malformed.
QIcon extractIcon(const QString& file, int number);
QIcon extractIconFromBytes(QByteArrayView bytes, int number);
