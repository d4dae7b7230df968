#pragma once

#include <QString>

// The parts of a file name that a document keeps. Names are carried as
// NativeNames carries them, so each keeps its file system's bytes.
namespace FileNames {

// The name as a full path: relative to the current folder, "." and ".."
// removed. Links are not resolved: the path stays the one the user named.
QString expandedPath(const QString& fileName);
// After the last "/".
QString namePart(const QString& fileName);
// From the name part's last ".", dot included; empty when it has none.
QString extensionPart(const QString& fileName);

}
