#include "explorer/shellchangeevents.h"

#include <array>

TSxShellChangeEvents TSxShellChangeEvents::fromMask(quint32 mask)
{
    static constexpr std::array<quint32, 25> masks = {
        TSxChangeMask::RenameItem,       TSxChangeMask::Create,        TSxChangeMask::Delete,
        TSxChangeMask::MakeFolder,       TSxChangeMask::RemoveFolder,  TSxChangeMask::MediaInserted,
        TSxChangeMask::MediaRemoved,     TSxChangeMask::DriveRemoved,  TSxChangeMask::DriveAdded,
        TSxChangeMask::Share,            TSxChangeMask::Unshare,       TSxChangeMask::Attributes,
        TSxChangeMask::FolderUpdated,    TSxChangeMask::ItemUpdated,   TSxChangeMask::ServerDisconnect,
        TSxChangeMask::ImageUpdated,     TSxChangeMask::DriveAddedInteractive, TSxChangeMask::RenameFolder,
        TSxChangeMask::FreeSpace,        TSxChangeMask::ExtendedEvent, TSxChangeMask::AssociationChanged,
        TSxChangeMask::DiskEvents,       TSxChangeMask::GlobalEvents,  TSxChangeMask::AllEvents,
        TSxChangeMask::Interrupt,
    };
    TSxShellChangeEvents events;
    events.m_mask = mask;
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if ((mask & masks[i]) == masks[i])
            events.m_flags |= 1u << i;
    }
    return events;
}
