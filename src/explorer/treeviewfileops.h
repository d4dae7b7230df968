#pragma once

#include <QString>
#include <QStringList>

// The file operations the folder tree carries out for a rename and an
// accepted drop. Each stops at the first failure with a ScrivoError naming
// the item; nothing that exists is ever overwritten.
namespace TSxTreeFileOps {
enum class Operation { Copy, Move, Link };

// Copies, moves or links every source into the folder target.
void run(Operation operation, const QStringList& sources, const QString& targetFolder);

// Gives an item a new name in its folder. The name must be a plain name:
// not empty, no "/", not "." or "..".
void renameItem(const QString& path, const QString& newName);
}
