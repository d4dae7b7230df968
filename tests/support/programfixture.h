#pragma once

#include "app/forms.h"
#include "app/tfp.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// A whole program: the five forms created as at start-up, shown, and
// destroyed after the test.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Restarts the program with the given arguments.
    void start(const QStringList& arguments = {});
    void stop();

    // A file in the test's own temporary folder.
    QString writeFile(const QString& name, const QByteArray& bytes);
    QString tempPath(const QString& name) const;
    // The test's own settings folder (XDG_CONFIG_HOME while it runs).
    QString configHome() const;
    // Its own state folder (XDG_STATE_HOME), where the journals go.
    QString stateHome() const;

    DocumentTable& docs() { return Fp->documents(); }

    QTemporaryDir m_dir;
    // How many times the program was told to end (it does not really end
    // under test).
    int m_terminated = 0;
    QByteArray m_previousConfigHome;
    QByteArray m_previousStateHome;
};
