#pragma once

#include <QMetaType>
#include <QtGlobal>

// Namespace change events, one flag per change mask, in their order.
enum class TSxShellChangeEvent {
    RenameItem,
    Create,
    Delete,
    MakeFolder,
    RemoveFolder,
    MediaInserted,
    MediaRemoved,
    DriveRemoved,
    DriveAdded,
    Share,
    Unshare,
    Attributes,
    FolderUpdated,
    ItemUpdated,
    ServerDisconnect,
    ImageUpdated,
    DriveAddedInteractive,
    RenameFolder,
    FreeSpace,
    ExtendedEvent,
    AssociationChanged,
    DiskEvents,
    GlobalEvents,
    AllEvents,
    Interrupt,
};

namespace TSxChangeMask {
enum : quint32 {
    RenameItem = 0x1,
    Create = 0x2,
    Delete = 0x4,
    MakeFolder = 0x8,
    RemoveFolder = 0x10,
    MediaInserted = 0x20,
    MediaRemoved = 0x40,
    DriveRemoved = 0x80,
    DriveAdded = 0x100,
    Share = 0x200,
    Unshare = 0x400,
    Attributes = 0x800,
    FolderUpdated = 0x1000,
    ItemUpdated = 0x2000,
    ServerDisconnect = 0x4000,
    ImageUpdated = 0x8000,
    DriveAddedInteractive = 0x10000,
    RenameFolder = 0x20000,
    FreeSpace = 0x40000,
    ExtendedEvent = 0x4000000,
    AssociationChanged = 0x8000000,
    DiskEvents = 0x2381F,
    GlobalEvents = 0xC0581E0,
    AllEvents = 0x7FFFFFFF,
    Interrupt = 0x80000000,
};
}

// The set of events a change reported: a flag is set when every bit of its
// mask is in the reported mask.
class TSxShellChangeEvents {
public:
    TSxShellChangeEvents() = default;
    static TSxShellChangeEvents fromMask(quint32 mask);
    bool contains(TSxShellChangeEvent event) const { return m_flags & (1u << unsigned(event)); }
    bool isEmpty() const { return m_flags == 0; }
    quint32 mask() const { return m_mask; }

private:
    quint32 m_flags = 0;
    quint32 m_mask = 0;
};

Q_DECLARE_METATYPE(TSxShellChangeEvents)
