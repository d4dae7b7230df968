#pragma once

#include "explorer/itemidlist.h"
#include "explorer/shellfolder.h"

// How the folder tree and the file list of the explorer pane talk to each
// other, without either needing the other's class: the tree tells the list
// which folder to show, the list asks the tree to move to a folder.

class ExplorerListLink {
public:
    virtual ~ExplorerListLink() = default;
    // Shows a folder: its folder object and its absolute identifier.
    virtual void SetFolderandPIDL(TSxShellFolder::Ptr folder, PidlView absoluteId) = 0;
    // Forgets the current folder; with clearRows set, empties the rows first.
    virtual void ClearView(bool clearRows) = 0;
    // The tree is gone (or replaced); forget it.
    virtual void treeDetached() = 0;
};

class ExplorerTreeLink {
public:
    virtual ~ExplorerTreeLink() = default;
    // Finds the node of a folder below the root (expanding on the way) and
    // selects it, which makes the tree call SetFolderandPIDL back. Returns
    // false when no node was found (the selection stays).
    virtual bool selectFolder(PidlView absoluteId) = 0;
    // The list is gone (or replaced); forget it.
    virtual void listDetached() = 0;
};
