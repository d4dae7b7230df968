#include "support/programfixture.h"

#include "about/tabout.h"
#include "editor/tredit.h"
#include "options/colorcombobox.h"
#include "options/fontcombobox.h"
#include "widgets/checkbox.h"
#include "options/toption.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QLineEdit>
#include <QToolButton>

namespace {

// Whether assistive technology can name the control: by its own name, or
// through the label that says what it is.
bool isNamed(QAccessibleInterface* iface)
{
    if (!iface->text(QAccessible::Name).trimmed().isEmpty())
        return true;
    for (const auto& relation : iface->relations(QAccessible::Label))
        if (relation.first && !relation.first->text(QAccessible::Name).trimmed().isEmpty())
            return true;
    return false;
}

// Every control a user can reach with the keyboard, in the accessibility
// tree under root, that has no accessible name.
QStringList unnamedFocusableControls(QWidget* root)
{
    QStringList unnamed;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface, int depth) {
        if (!iface || depth > 40)
            return;
        if (auto* widget = qobject_cast<QWidget*>(iface->object())) {
            const bool reachable = widget->isVisibleTo(root) && widget->isEnabled()
                && (widget->focusPolicy() & Qt::TabFocus) && !iface->state().invisible;
            if (reachable && !isNamed(iface))
                unnamed << QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                           widget->objectName());
        }
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(root), 0);
    return unnamed;
}

QString nameOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The name of the label that labels a control (its buddy).
QString labelOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        return {};
    for (const auto& relation : iface->relations(QAccessible::Label)) {
        const QString name = relation.first->text(QAccessible::Name);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

}

TEST_F(ProgramTest, EveryReachableControlHasAnAccessibleName)
{
    Fp->btNewClick();
    EXPECT_EQ(unnamedFocusableControls(Fp), QStringList());
    for (QWidget* dialog : std::initializer_list<QWidget*>{About, Find, FindReplace, Option}) {
        dialog->show();
        EXPECT_EQ(unnamedFocusableControls(dialog), QStringList()) << dialog->objectName().toStdString();
        dialog->hide();
    }
}

TEST_F(ProgramTest, ControlsAreNamedAsTheUserSeesThem)
{
    EXPECT_EQ(nameOf(Fp->btNew), QStringLiteral("Nouvelle page")) << "toolbar buttons by their hint";
    EXPECT_EQ(nameOf(Fp->btOpen), QStringLiteral("Ouvrir fichier"));
    EXPECT_EQ(nameOf(Find->zeFindMot), QStringLiteral("Chercher quoi")) << "edits by their label";
    EXPECT_EQ(nameOf(FindReplace->zeFindReplaceBy), QStringLiteral("par"));
    // Qt names a combo box on Linux by its value; its label comes through
    // the label relation.
    EXPECT_EQ(labelOf(Option->comboOptionColorEditeur), QStringLiteral("Couleur de fond"));
    EXPECT_EQ(labelOf(Option->comboOptionFontExplorer), QStringLiteral("Fonte"));
    EXPECT_EQ(nameOf(Option->chkboxOptionAllFileSaved), QStringLiteral("Vérifie si fichier(s) sauvé(s)en quittant."));
    EXPECT_EQ(nameOf(docs().currentEditor()), QStringLiteral("Nouvelle page")) << "editors by their tab";

    const QString path = writeFile(QStringLiteral("lettre.txt"), "x");
    start({path});
    EXPECT_EQ(nameOf(docs().currentEditor()), QStringLiteral("lettre.txt"));
}

TEST_F(ProgramTest, F10OpensTheMenusForTheArrowKeys)
{
    // The window's short-cuts see keys only once the window system has made
    // it the active window, which it does in an event of its own.
    Fp->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([] { return Fp->isActiveWindow(); }, 5000));
    docs().currentEditor()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), docs().currentEditor());
    QTest::keyClick(docs().currentEditor(), Qt::Key_F10);
    EXPECT_EQ(Fp->menuBar()->activeAction(), Fp->mnuFile->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([] { return Fp->mnuFile->isVisible(); }, 2000));
    QTest::keyClick(Fp->mnuFile, Qt::Key_Right);
    EXPECT_EQ(Fp->menuBar()->activeAction(), Fp->mnuEdition->menuAction());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(Fp->menuBar(), Qt::Key_Escape);
}
