#pragma once

#include "explorer/itemidlist.h"

#include <QHash>
#include <QIcon>
#include <QString>

#include <functional>
#include <vector>

// The system icon list: every icon the explorer shows, held once and named
// by an index, so a row or node keeps an int rather than an icon. One list
// serves the small and the large size (a QIcon holds every size). Shared by
// the whole pane for the whole run; user-interface thread only.
class TSxSystemImageList {
public:
    static TSxSystemImageList& instance();

    // The index of the icon known by key, made by make() the first time.
    int indexFor(const QString& key, const std::function<QIcon()>& make);
    // The index of the icon known by key; -1 when none is.
    int find(const QString& key) const { return m_byKey.value(key, -1); }
    // Adds an icon of its own (an icon taken from a disc, say).
    int add(const QIcon& icon);
    QIcon icon(int index) const;
    int count() const { return int(m_icons.size()); }

private:
    TSxSystemImageList() = default;
    std::vector<QIcon> m_icons;
    QHash<QString, int> m_byKey;
};

// The item's small icon (the open-folder form for a folder when open is set).
int SmallIconIndex(PidlView absoluteId, bool open);
// The icon of a file or folder name by its name alone; the file need not
// exist.
int genericIconIndex(const QString& fileName, bool folder = false);
int folderIconIndex(bool open);
// The icon of a CD-ROM drive without anything better, made once per run.
int defaultCdromIconIndex();

// The item's type name: the shared MIME database's comment for its type;
// for a file type without a name, its extension followed by " File"
// ("readme.xyz" -> "xyz File"); empty for a name with no extension.
QString TypeName(PidlView absoluteId);
// The same for a file of that name (and, when known, whether it can be run).
QString typeNameOfFile(const QString& fileName, bool executable = false);
