#pragma once

#include "support/modal.h"
#include "support/programfixture.h"

#include "editor/tredit.h"
#include "search/searchcommands.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "widgets/checkbox.h"
#include "widgets/flatbutton.h"

#include <QLineEdit>
#include <QTest>

// The whole program, driven through the Edition menu and the two dialogs
// as a user would.
class SearchTest : public ProgramTest {
protected:
    TREdit* editor() { return docs().currentEditor(); }

    void setText(const QString& text)
    {
        editor()->setRtfText(text);
        QApplication::processEvents();
    }

    bool nextEnabled() const { return Fp->mnuNext->isEnabled(); }

    // Answers the Find dialog with Start (after typing the word and setting
    // the two options), or with Cancel.
    void find(const QString& word, bool wholeWord = false, bool matchCase = false)
    {
        answerModal<TFind>([=](TFind* d) {
            d->zeFindMot->setText(word);
            d->chkboxFindWord->setChecked(wholeWord);
            d->chkboxFindCase->setChecked(matchCase);
            QTest::mouseClick(d->btFindStart, Qt::LeftButton);
        });
        Fp->mnuFind->trigger();
    }

    void cancelFind()
    {
        answerModal<TFind>([](TFind* d) { QTest::mouseClick(d->btFindCancel, Qt::LeftButton); });
        Fp->mnuFind->trigger();
    }

    void findReplace(const QString& word, const QString& by, bool wholeWord = false, bool matchCase = false)
    {
        answerModal<TFindReplace>([=](TFindReplace* d) {
            d->zeFindReplaceMot->setText(word);
            d->zeFindReplaceBy->setText(by);
            d->chkboxFindReplaceWord->setChecked(wholeWord);
            d->chkboxFindReplaceCase->setChecked(matchCase);
            QTest::mouseClick(d->btFindReplaceStart, Qt::LeftButton);
        });
        Fp->mnuFindReplace->trigger();
    }

    void cancelFindReplace()
    {
        answerModal<TFindReplace>([](TFindReplace* d) { QTest::mouseClick(d->btFindReplaceCancel, Qt::LeftButton); });
        Fp->mnuFindReplace->trigger();
    }

    // A disabled command cannot be chosen: trigger() then does nothing.
    void next() { Fp->mnuNext->trigger(); }

    int selStart() { return editor()->selStart(); }
    int selLength() { return editor()->selLength(); }
    QString selected() { return editor()->selectedText(); }
    QString text() { return editor()->text(); }

    // A mouse click into the text at a position: caret there, no selection.
    void clickAt(int position)
    {
        const QRect r = editor()->cursorRect(position);
        QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 1, r.center().y()));
    }

    // A selection made with the keyboard: caret at start, Shift+Right.
    void selectByHand(int start, int length)
    {
        editor()->setSelStart(start);
        for (int i = 0; i < length; ++i)
            QTest::keyClick(editor(), Qt::Key_Right, Qt::ShiftModifier);
    }
};
