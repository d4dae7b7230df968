// Runs only on a Wayland display (scripts/run-tests starts a headless
// compositor when one is installed): the program starts, takes typing,
// saves and ends with Ctrl+Q there as it does on X11.

#include "support/programfixture.h"

#include "documents/filecommands.h"
#include "editor/tredit.h"
#include "widgets/statusbar.h"
#include "widgets/statusindicators.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QToolButton>

namespace {
class WaylandSmoke : public ProgramTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            GTEST_SKIP() << "needs a Wayland display";
        ProgramTest::SetUp();
    }
};
}

TEST_F(WaylandSmoke, StartsTypesSavesAndQuits)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Fp, 10000));
    const QString path = writeFile(QStringLiteral("wayland.txt"), "");
    Fp->files().SetDocumentFileName(docs().CurrentSlot(), path);
    TREdit* editor = docs().currentEditor();
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("Bonjour Wayland"));
    EXPECT_TRUE(Fp->btSave->isEnabled());
    Fp->btSave->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Bonjour Wayland"));

    // No X display: the lock keys are unknown, not wrong.
    Fp->statusbarFp->show();
    EXPECT_TRUE(Fp->indicatorCaps->text().endsWith(u'?'));

    // The headless compositor has no seat, so no window ever gets the
    // keyboard focus that short-cuts need: Ctrl+Q's action is run directly.
    ASSERT_EQ(Fp->mnuExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    if (QGuiApplication::focusWindow())
        QTest::keyClick(Fp, Qt::Key_Q, Qt::ControlModifier);
    else
        Fp->mnuExit->trigger();
    EXPECT_TRUE(Fp->isTerminating());
}
