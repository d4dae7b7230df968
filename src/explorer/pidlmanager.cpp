#include "explorer/pidlmanager.h"

#include "platform/errors.h"

#include <QApplication>
#include <QMessageBox>
#include <QtGlobal>

#include <cstdio>
#include <cstring>

namespace {
const char* const LeakText = "Warning, potential PIDL memory leak exists";

void defaultLeakWarning(const QString& text)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox::warning(QApplication::activeWindow(), applicationTitle(), text, QMessageBox::Ok);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
}

TSxPidlManager::TSxPidlManager() = default;

TSxPidlManager::~TSxPidlManager()
{
    // Static destruction: no application object is left to show a box.
    if (!m_shutDown && !m_records.empty())
        std::fprintf(stderr, "%s (%zu identifiers)\n", LeakText, m_records.size());
}

TSxPidlManager& TSxPidlManager::instance()
{
    static TSxPidlManager manager;
    return manager;
}

void TSxPidlManager::registerLocked(PIDL pidl, PidlTag tag)
{
    if (pidl)
        m_records.try_emplace(pidl, tag.text());
}

void TSxPidlManager::Register(PIDL pidl, PidlTag tag)
{
    std::lock_guard lock(m_mutex);
    registerLocked(pidl, tag);
}

PIDL TSxPidlManager::CopyPidl(PidlView pidl, PidlTag tag)
{
    PIDL copy = ItemIdAllocator::clone(pidl);
    Register(copy, tag);
    return copy;
}

PIDL TSxPidlManager::CombinePidls(PidlView first, PidlView second, PidlTag tag)
{
    PIDL joined = ItemIdAllocator::combine(first, second);
    Register(joined, tag);
    return joined;
}

bool TSxPidlManager::freeOwned(PIDL pidl) noexcept
{
    if (!pidl)
        return true;
    {
        std::lock_guard lock(m_mutex);
        if (m_records.erase(pidl) == 0 && !m_shutDown)
            return false;
    }
    ItemIdAllocator::free(pidl);
    return true;
}

void TSxPidlManager::FreePidl(PIDL pidl)
{
    if (!pidl)
        return;
    bool known;
    {
        std::lock_guard lock(m_mutex);
        known = m_records.erase(pidl) == 1 || m_shutDown;
    }
    ItemIdAllocator::free(pidl);
    if (!known)
        throw ScrivoError(QStringLiteral("Attempting to free unregistered PIDL"));
}

qsizetype TSxPidlManager::count() const
{
    std::lock_guard lock(m_mutex);
    return qsizetype(m_records.size());
}

std::vector<TSxPIDLItem> TSxPidlManager::records() const
{
    std::lock_guard lock(m_mutex);
    std::vector<TSxPIDLItem> out;
    out.reserve(m_records.size());
    for (const auto& [pidl, tag] : m_records)
        out.push_back({pidl, tag});
    return out;
}

qsizetype TSxPidlManager::countTagged(const char* tag) const
{
    std::lock_guard lock(m_mutex);
    qsizetype n = 0;
    for (const auto& record : m_records)
        n += std::strcmp(record.second, tag) == 0;
    return n;
}

void TSxPidlManager::Shutdown()
{
    std::vector<TSxPIDLItem> remaining;
    {
        std::lock_guard lock(m_mutex);
        if (m_shutDown)
            return;
        m_shutDown = true;
        for (const auto& [pidl, tag] : m_records)
            remaining.push_back({pidl, tag});
        m_records.clear();
    }
    if (!remaining.empty())
        warnAboutLeaks(std::move(remaining));
}

void TSxPidlManager::warnAboutLeaks(std::vector<TSxPIDLItem> remaining)
{
    // The tags say which operation forgot to free; worth a line each for
    // whoever has to find the leak.
    for (const TSxPIDLItem& item : remaining)
        std::fprintf(stderr, "unfreed item identifier, allocated by \"%s\"\n", item.tag);
    LeakWarning warning;
    {
        std::lock_guard lock(m_mutex);
        warning = m_leakWarning;
    }
    const QString text = QString::fromLatin1(LeakText);
    if (warning)
        warning(text);
    else
        defaultLeakWarning(text);
}

TSxPidlManager::LeakWarning TSxPidlManager::setLeakWarning(LeakWarning warning)
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_leakWarning, std::move(warning));
}

TSxPidl TSxPidl::adopt(PIDL pidl, PidlTag tag)
{
    TSxPidlManager::instance().Register(pidl, tag);
    return TSxPidl(pidl);
}

TSxPidl TSxPidl::copyOf(PidlView pidl, PidlTag tag)
{
    return TSxPidl(TSxPidlManager::instance().CopyPidl(pidl, tag));
}

TSxPidl TSxPidl::combine(PidlView first, PidlView second, PidlTag tag)
{
    return TSxPidl(TSxPidlManager::instance().CombinePidls(first, second, tag));
}

TSxPidl TSxPidl::empty(PidlTag tag)
{
    return adopt(ItemIdAllocator::allocEmpty(), tag);
}

TSxPidl& TSxPidl::operator=(TSxPidl&& other) noexcept
{
    if (this != &other) {
        reset();
        m_pidl = std::exchange(other.m_pidl, nullptr);
    }
    return *this;
}

void TSxPidl::reset() noexcept
{
    if (PIDL pidl = std::exchange(m_pidl, nullptr)) {
        // A handle only loses its record when someone freed its identifier
        // behind its back: worth a loud line, never an exception here.
        if (!TSxPidlManager::instance().freeOwned(pidl))
            std::fprintf(stderr, "Attempting to free unregistered PIDL\n");
    }
}
