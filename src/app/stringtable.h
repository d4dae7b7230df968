#pragma once

#include "platform/stringids.h"

#include <QList>
#include <QString>

// The program's string table: every user-visible text that forms load at
// creation, by id. One place for all forms, so the French texts are checked
// together.
namespace StringTable {

// The text of an id; an id the table does not hold gives an empty text.
QString text(int id);

// Whether the table holds the id.
bool contains(int id);

// All ids, in increasing order.
QList<int> ids();

}
