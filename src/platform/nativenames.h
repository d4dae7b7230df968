#pragma once

#include <QByteArrayView>
#include <QString>

// File-system names and paths, which are bytes, as the program carries and
// shows them.
namespace NativeNames {

// A path carried in a QString without losing a byte: the bytes read as
// UTF-8, each byte that is not part of valid UTF-8 as U+EF00 + byte
// (U+EF80..U+EFFF, as the editor keeps such bytes of a file), and a
// character of U+EF00..U+EFFF that the name itself holds preceded by U+EF7F.
// Whatever reaches the file system goes back through toNative; Qt's own
// file classes would write such stand-ins as UTF-8.
QString fromNative(QByteArrayView bytes);
// The bytes of a carried path. For a text without those code points, the
// same as QFile::encodeName.
QByteArray toNative(QStringView path);

// The bytes read as UTF-8, on one line and with nothing hidden: a byte that
// is not part of valid UTF-8 shows as \xHH (upper-case hex), a control
// character (a line break, a tab) as its picture (U+2400 + code, U+2421 for
// delete), and a line or paragraph separator as U+2424.
QString display(QByteArrayView bytes);
// A carried path (fromNative) as display shows its bytes.
QString displayPath(QStringView path);
}
