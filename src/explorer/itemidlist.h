#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>

#include <cstddef>

// Item identifier lists.
//
// An identifier is one heap block holding a chain of elements, one per step
// from a folder to the item, ended by a zero size field:
//
//     [u16 size][u8 flags][name bytes ...]  ...  [u16 0]
//
// `size` counts the whole element (its own two bytes included) and is stored
// little-endian. `name` is a path component as the file system spells it (raw
// bytes, never empty). An identifier relative to the top of the namespace is
// absolute; the empty identifier (just the terminator) names the top itself.
//
// The flags cache what enumeration already knew, so sorting and the
// folder/file split never touch the disk. They are not part of an item's
// identity: two identifiers name the same item when their names agree.

struct ItemIdData; // never defined: identifiers are only handled through pointers
using PIDL = ItemIdData*;
using PCIDL = const ItemIdData*;

namespace ItemIdFlags {
constexpr quint8 Folder = 0x01; // the item is a folder (a symbolic link to one included)
}

struct ItemIdElement {
    QByteArrayView name;
    quint8 flags = 0;
    bool isFolder() const { return flags & ItemIdFlags::Folder; }
};

// A non-owning look at an identifier. A null view (no identifier at all) is
// treated as empty by every query.
class PidlView {
public:
    constexpr PidlView() = default;
    PidlView(PCIDL pidl) : m_data(reinterpret_cast<const unsigned char*>(pidl)) {}

    bool isNull() const { return m_data == nullptr; }
    bool isEmpty() const;
    PCIDL data() const { return reinterpret_cast<PCIDL>(m_data); }

    // Number of elements.
    int count() const;
    // Bytes of the whole block, terminator included (2 for an empty identifier).
    qsizetype byteSize() const;
    QByteArrayView bytes() const;

    ItemIdElement element(int index) const;
    ItemIdElement lastElement() const;
    // The last element as an identifier of its own, pointing into this one;
    // the empty identifier stays empty.
    PidlView last() const;
    // The name of the last element (empty for the empty identifier).
    QByteArrayView lastName() const;
    bool lastIsFolder() const;

    // Whether this identifier names an ancestor of child (immediate: its
    // parent only). An identifier is not its own parent.
    bool isParentOf(PidlView child, bool immediate = false) const;

    // Same item: same element names, whatever the cached flags say.
    friend bool operator==(PidlView a, PidlView b);
    // Byte for byte, flags included.
    bool sameBytes(PidlView other) const;

    class Iterator;
    Iterator begin() const;
    Iterator end() const;

private:
    const unsigned char* m_data = nullptr;
};

class PidlView::Iterator {
public:
    using value_type = ItemIdElement;
    using difference_type = std::ptrdiff_t;
    Iterator() = default;
    explicit Iterator(const unsigned char* at) : m_at(at) {}
    ItemIdElement operator*() const;
    Iterator& operator++();
    Iterator operator++(int)
    {
        Iterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const Iterator& other) const;

private:
    const unsigned char* m_at = nullptr; // null or at the terminator: end
};

Q_DECLARE_METATYPE(PidlView)

// Raw blocks, as the namespace hands them out before anybody registers them.
// The program itself holds identifiers through TSxPidl (pidlmanager.h).
namespace ItemIdAllocator {
// A copy of the bytes of an identifier (terminator included).
PIDL clone(PidlView source);
// The empty identifier.
PIDL allocEmpty();
// A one-element identifier. Throws std::length_error for an empty name or
// one too long for an element.
PIDL allocElement(QByteArrayView name, quint8 flags);
// first followed by second.
PIDL combine(PidlView first, PidlView second);
// Drops the last element in place; false when there was none.
bool removeLast(PIDL pidl);
void free(PIDL pidl);
}

// The bytes of a one-element identifier, terminator excluded, for building
// identifiers by appending elements.
QByteArray encodeItemIdElement(QByteArrayView name, quint8 flags);
constexpr qsizetype MaxItemIdNameBytes = 0xFFFF - 3;

// Checks that bytes hold a well-formed identifier starting at offset: sizes
// within bounds, no empty name, a terminator. Returns the identifier's byte
// size (terminator included) or -1.
qsizetype validItemIdSize(QByteArrayView bytes, qsizetype offset = 0);
