#pragma once

#include "explorer/pidlmanager.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A folder tree the test builds in a fresh temporary folder.
class TempTree {
public:
    TempTree();
    ~TempTree();
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.path() + u'/' + relative; }
    void mkdir(const QString& relative) const;
    void write(const QString& relative, const QByteArray& bytes = {}) const;
    void symlink(const QString& target, const QString& relative) const;
    void chmod(const QString& relative, unsigned mode) const;
    void remove(const QString& relative) const;
    // The same with a name given as the file system's bytes (which need not
    // be UTF-8); returns the full path's bytes.
    QByteArray mkdirBytes(const QByteArray& relative) const;
    QByteArray writeBytes(const QByteArray& relative, const QByteArray& bytes = {}) const;

private:
    QTemporaryDir m_dir;
};

// Fails the test when the identifier registry holds more or fewer records at
// the end of the scope than at its start.
class RegistryBalance {
public:
    RegistryBalance() : m_start(TSxPidlManager::instance().count()) {}
    ~RegistryBalance() { EXPECT_EQ(TSxPidlManager::instance().count(), m_start) << "identifiers left registered"; }

private:
    qsizetype m_start;
};

// A one-element identifier, registered for the test.
TSxPidl testElement(const char* name, bool folder = false);
// An identifier of several elements (all folders but the last when lastIsFile).
TSxPidl testIdentifier(std::initializer_list<const char*> names, bool lastIsFile = false);

// An ISO 9660 image holding just a primary volume descriptor.
QByteArray isoImage(const QByteArray& volumeId);
