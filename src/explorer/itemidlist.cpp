#include "explorer/itemidlist.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {
constexpr qsizetype HeaderBytes = 3; // size field + flags
constexpr qsizetype TerminatorBytes = 2;

quint16 sizeAt(const unsigned char* at)
{
    return quint16(at[0] | (at[1] << 8));
}

void putSize(unsigned char* at, quint16 size)
{
    at[0] = size & 0xFF;
    at[1] = size >> 8;
}

// Bytes of the element chain, terminator excluded.
qsizetype chainBytes(const unsigned char* data)
{
    if (!data)
        return 0;
    qsizetype total = 0;
    for (quint16 size = sizeAt(data); size != 0; size = sizeAt(data + total))
        total += size;
    return total;
}

ItemIdElement elementAt(const unsigned char* at)
{
    const quint16 size = sizeAt(at);
    return {QByteArrayView(reinterpret_cast<const char*>(at + HeaderBytes), size - HeaderBytes), at[2]};
}

PIDL allocBytes(qsizetype chain)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size_t(chain + TerminatorBytes)));
    if (!block)
        throw std::bad_alloc();
    putSize(block + chain, 0);
    return reinterpret_cast<PIDL>(block);
}

const unsigned char* raw(PidlView view)
{
    return reinterpret_cast<const unsigned char*>(view.data());
}
}

bool PidlView::isEmpty() const
{
    return !m_data || sizeAt(m_data) == 0;
}

int PidlView::count() const
{
    int n = 0;
    for (auto it = begin(); it != end(); ++it)
        ++n;
    return n;
}

qsizetype PidlView::byteSize() const
{
    return chainBytes(m_data) + TerminatorBytes;
}

QByteArrayView PidlView::bytes() const
{
    if (!m_data)
        return QByteArrayView("\0\0", 2);
    return QByteArrayView(reinterpret_cast<const char*>(m_data), byteSize());
}

ItemIdElement PidlView::element(int index) const
{
    int i = 0;
    for (auto it = begin(); it != end(); ++it, ++i) {
        if (i == index)
            return *it;
    }
    return {};
}

PidlView PidlView::last() const
{
    if (isEmpty())
        return *this;
    const unsigned char* at = m_data;
    for (const unsigned char* next = at + sizeAt(at); sizeAt(next) != 0; next += sizeAt(next))
        at = next;
    return PidlView(reinterpret_cast<PCIDL>(at));
}

ItemIdElement PidlView::lastElement() const
{
    if (isEmpty())
        return {};
    return elementAt(raw(last()));
}

QByteArrayView PidlView::lastName() const { return lastElement().name; }

bool PidlView::lastIsFolder() const { return lastElement().isFolder(); }

bool PidlView::isParentOf(PidlView child, bool immediate) const
{
    auto mine = begin();
    auto theirs = child.begin();
    for (; mine != end(); ++mine, ++theirs) {
        if (theirs == child.end() || (*mine).name != (*theirs).name)
            return false;
    }
    if (theirs == child.end())
        return false; // same item
    return !immediate || ++theirs == child.end();
}

bool operator==(PidlView a, PidlView b)
{
    auto i = a.begin();
    auto j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j) {
        if ((*i).name != (*j).name)
            return false;
    }
    return i == a.end() && j == b.end();
}

bool PidlView::sameBytes(PidlView other) const { return bytes() == other.bytes(); }

PidlView::Iterator PidlView::begin() const
{
    return Iterator(m_data && sizeAt(m_data) ? m_data : nullptr);
}

PidlView::Iterator PidlView::end() const { return Iterator(); }

ItemIdElement PidlView::Iterator::operator*() const { return elementAt(m_at); }

PidlView::Iterator& PidlView::Iterator::operator++()
{
    m_at += sizeAt(m_at);
    if (sizeAt(m_at) == 0)
        m_at = nullptr;
    return *this;
}

bool PidlView::Iterator::operator==(const Iterator& other) const { return m_at == other.m_at; }

namespace ItemIdAllocator {
PIDL clone(PidlView source)
{
    const qsizetype chain = chainBytes(raw(source));
    PIDL copy = allocBytes(chain);
    if (chain)
        std::memcpy(copy, source.data(), size_t(chain));
    return copy;
}

PIDL allocEmpty() { return allocBytes(0); }

PIDL allocElement(QByteArrayView name, quint8 flags)
{
    const QByteArray element = encodeItemIdElement(name, flags);
    PIDL pidl = allocBytes(element.size());
    std::memcpy(pidl, element.constData(), size_t(element.size()));
    return pidl;
}

PIDL combine(PidlView first, PidlView second)
{
    const qsizetype a = chainBytes(raw(first));
    const qsizetype b = chainBytes(raw(second));
    PIDL joined = allocBytes(a + b);
    auto* out = reinterpret_cast<unsigned char*>(joined);
    if (a)
        std::memcpy(out, first.data(), size_t(a));
    if (b)
        std::memcpy(out + a, second.data(), size_t(b));
    return joined;
}

bool removeLast(PIDL pidl)
{
    PidlView view(pidl);
    if (view.isEmpty())
        return false;
    auto* at = const_cast<unsigned char*>(raw(view.last()));
    putSize(at, 0);
    return true;
}

void free(PIDL pidl) { std::free(pidl); }
}

QByteArray encodeItemIdElement(QByteArrayView name, quint8 flags)
{
    if (name.isEmpty() || name.size() > MaxItemIdNameBytes)
        throw std::length_error("item identifier element name out of range");
    QByteArray element(HeaderBytes + name.size(), Qt::Uninitialized);
    auto* at = reinterpret_cast<unsigned char*>(element.data());
    putSize(at, quint16(element.size()));
    at[2] = flags;
    std::memcpy(at + HeaderBytes, name.data(), size_t(name.size()));
    return element;
}

qsizetype validItemIdSize(QByteArrayView bytes, qsizetype offset)
{
    if (offset < 0)
        return -1;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype at = offset;
    for (;;) {
        if (at + TerminatorBytes > bytes.size())
            return -1;
        const quint16 size = sizeAt(data + at);
        if (size == 0)
            return at + TerminatorBytes - offset;
        if (size <= HeaderBytes || at + size > bytes.size())
            return -1;
        at += size;
    }
}
