#pragma once

#include "platform/errors.h"
#include "support/qtprinters.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// Every run gets the offscreen platform and fresh HOME / XDG_CONFIG_HOME /
// XDG_STATE_HOME folders, so no test reads or writes the user's own settings.
class TestEnvironment : public ::testing::Environment {
public:
    static void prepareProcess();
    static QString home();
    static QString configHome();
    void SetUp() override;
    void TearDown() override;
};

// Collects the texts the error box would show, for the duration of a scope.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    const QStringList& messages() const { return m_messages; }
    void clear() { m_messages.clear(); }

private:
    QStringList m_messages;
    ErrorReporter m_previous;
};
