#pragma once

#include "explorer/itemidlist.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <unordered_map>
#include <vector>

// Names the operation that allocated an identifier. Only string literals are
// accepted, so a record never outlives its tag.
class PidlTag {
public:
    template <std::size_t N>
    consteval PidlTag(const char (&text)[N]) : m_text(text)
    {
    }
    const char* text() const { return m_text; }

private:
    const char* m_text;
};

// One registration: an identifier (by address) and the operation that made it.
struct TSxPIDLItem {
    PCIDL pidl = nullptr;
    const char* tag = nullptr;
};

// The process-wide registry of every identifier the explorer pane allocates.
// Registration is keyed by address; an identifier freed through the
// registry that it does not know is freed all the same and then reported.
// Thread-safe (the registry may be used off the user-interface thread).
class TSxPidlManager {
public:
    // The process's registry, which TSxPidl uses.
    static TSxPidlManager& instance();
    // A registry of one's own, to check an accounting apart from the
    // process's.
    TSxPidlManager();
    ~TSxPidlManager();

    // Records pidl with its tag unless it is null or already recorded.
    void Register(PIDL pidl, PidlTag tag);
    // A registered copy / join.
    PIDL CopyPidl(PidlView pidl, PidlTag tag);
    PIDL CombinePidls(PidlView first, PidlView second, PidlTag tag);
    // Frees pidl; when it was not recorded, frees it and then throws
    // ScrivoError("Attempting to free unregistered PIDL"). Null is ignored.
    void FreePidl(PIDL pidl);
    // For owners (TSxPidl): frees a recorded identifier and returns true.
    // An owned identifier that is no longer recorded was already freed
    // through FreePidl behind its owner's back: it is left alone and false
    // returned. After Shutdown every identifier is freed.
    bool freeOwned(PIDL pidl) noexcept;

    qsizetype count() const;
    std::vector<TSxPIDLItem> records() const;
    // Records whose tag reads `tag`.
    qsizetype countTagged(const char* tag) const;

    // End of the pane's life: when records remain, warns "Warning, potential
    // PIDL memory leak exists" and discards the records (the identifiers
    // themselves still belong to whoever holds them). Later frees of
    // identifiers that are not recorded are then accepted silently.
    void Shutdown();

    // Test seam. Shows the leak warning; the default is a warning box with
    // an OK button while an application object exists, and the error output
    // otherwise.
    using LeakWarning = std::function<void(const QString& text)>;
    LeakWarning setLeakWarning(LeakWarning warning);

    TSxPidlManager(const TSxPidlManager&) = delete;
    TSxPidlManager& operator=(const TSxPidlManager&) = delete;

private:
    void registerLocked(PIDL pidl, PidlTag tag);
    void warnAboutLeaks(std::vector<TSxPIDLItem> remaining);

    mutable std::mutex m_mutex;
    std::unordered_map<PCIDL, const char*> m_records;
    bool m_shutDown = false;
    LeakWarning m_leakWarning;
};

// Owns one registered identifier: frees it through the registry when it goes.
class TSxPidl {
public:
    TSxPidl() = default;
    // Takes over a raw identifier and registers it.
    static TSxPidl adopt(PIDL pidl, PidlTag tag);
    static TSxPidl copyOf(PidlView pidl, PidlTag tag);
    static TSxPidl combine(PidlView first, PidlView second, PidlTag tag);
    static TSxPidl empty(PidlTag tag);

    TSxPidl(TSxPidl&& other) noexcept : m_pidl(std::exchange(other.m_pidl, nullptr)) {}
    TSxPidl& operator=(TSxPidl&& other) noexcept;
    TSxPidl(const TSxPidl&) = delete;
    TSxPidl& operator=(const TSxPidl&) = delete;
    ~TSxPidl() { reset(); }

    TSxPidl copy(PidlTag tag) const { return copyOf(view(), tag); }
    // Drops the last element in place (the registration stays).
    bool removeLast() { return ItemIdAllocator::removeLast(m_pidl); }

    bool isNull() const { return m_pidl == nullptr; }
    explicit operator bool() const { return m_pidl != nullptr; }
    PidlView view() const { return PidlView(m_pidl); }
    operator PidlView() const { return view(); }
    PIDL get() const { return m_pidl; }

    // Gives up ownership; the identifier stays registered.
    PIDL release() { return std::exchange(m_pidl, nullptr); }
    void reset() noexcept;

private:
    explicit TSxPidl(PIDL pidl) : m_pidl(pidl) {}
    PIDL m_pidl = nullptr;
};
