#pragma once

#include <QByteArrayView>
#include <QString>

// File-system names and paths as the program shows them. The file system
// holds bytes; whatever reaches it again is kept as bytes, and these texts
// are for the eye only.
namespace NativeNames {

// The bytes read as UTF-8, on one line and with nothing hidden: a byte that
// is not part of valid UTF-8 shows as \xHH (upper-case hex), a control
// character (a line break, a tab) as its picture (U+2400 + code, U+2421 for
// delete), and a line or paragraph separator as U+2424.
QString display(QByteArrayView bytes);

}
