#pragma once

#include <QByteArrayView>

// Orders file names (raw bytes, UTF-8 expected) the way people read them:
// letters without regard to case or accents, runs of digits by their value
// ("file2" before "file10"). Ties are then broken by accents, then by case
// (lower case first), then by the bytes, so only identical names compare
// equal and the order is total. Returns -1, 0 or 1.
int compareItemNames(QByteArrayView a, QByteArrayView b);
