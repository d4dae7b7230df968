#pragma once

#include "explorer/explorertest.h"
#include "explorer/listview.h"
#include "explorer/listviewmodel.h"
#include "explorer/shellqueries.h"
#include "explorer/threadfilenotifier.h"
#include "support/testenv.h"

#include <QLocale>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace ListTesting {
constexpr int ArrivalTimeoutMs = 10000; // generous: the machine may be busy
constexpr int SilenceMs = 500;          // long past the watcher's quiet period
}

// US English while it lives: "," groups thousands, dates read M/d/yyyy.
class UsLocale {
public:
    UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~UsLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

// The lists' column widths go to a settings folder of the test's own
// while it lives (they are written whenever a list goes).
class SettingsFolder {
public:
    SettingsFolder() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path()); }
    ~SettingsFolder()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, TestEnvironment::configHome());
    }
    QByteArray stored() const
    {
        return QSettings(QSettings::UserScope, QStringLiteral("SxExplorer")).value("DirectoryCols").toByteArray();
    }
    void store(const QByteArray& value) const
    {
        QSettings(QSettings::UserScope, QStringLiteral("SxExplorer")).setValue("DirectoryCols", value);
    }

private:
    QTemporaryDir m_dir;
};

// Stands in for the folder tree: records the folders it is asked for and,
// like the tree, answers by showing the folder in the list.
class FakeTree : public ExplorerTreeLink {
public:
    bool selectFolder(PidlView absoluteId) override
    {
        asked.push_back(pathFromIdList(absoluteId));
        if (!found)
            return false;
        if (callsBack && list)
            list->SetFolderandPIDL(TSxShellFolder::bind(absoluteId), absoluteId);
        return true;
    }
    void listDetached() override
    {
        ++detached;
        list = nullptr;
    }

    TSxExplorerListView* list = nullptr;
    bool found = true;
    bool callsBack = true;
    std::vector<QString> asked;
    int detached = 0;
};

// A list on screen showing a folder the test builds.
class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list = std::make_unique<TSxExplorerListView>();
        list->resize(700, 500);
        list->show();
    }
    void TearDown() override { list.reset(); }

    void show(const QString& path = {})
    {
        list->setDirectory(path.isEmpty() ? tree.root() : path);
        ASSERT_EQ(list->Directory(), path.isEmpty() ? tree.root() : path);
        waitUntilWatching();
    }

    // The folder's watchers are in place (changes before would go unseen).
    void waitUntilWatching() const
    {
        const auto& threads = list->fileWatcher().threads();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::all_of(threads.begin(), threads.end(),
                                   [](const auto& t) { return t->isWatching() || t->isFinished(); });
            },
            ListTesting::ArrivalTimeoutMs));
    }

    int rows() const { return list->model()->rowCount(); }
    QString cell(int row, int column) const
    {
        return list->model()->data(list->model()->index(row, column)).toString();
    }
    QStringList names() const
    {
        QStringList out;
        for (int row = 0; row < rows(); ++row)
            out << cell(row, TSxListColumn::Name);
        return out;
    }
    int rowOf(const QString& name) const { return int(names().indexOf(name)); }
    QString text(const QString& name, int column) const { return cell(rowOf(name), column); }

    // Waits for the next fill or refresh that changed the rows.
    bool waitForRefresh(QSignalSpy& spy) const { return spy.wait(ListTesting::ArrivalTimeoutMs); }

    RegistryBalance balance; // first in, last out: outlives the list
    SettingsFolder settings;
    TempTree tree;
    std::unique_ptr<TSxExplorerListView> list;
};
