#include "search/searchcommands.h"

#include "editor/tredit.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "widgets/checkbox.h"
#include "widgets/dialogform.h"

#include <QLineEdit>

SearchCommands::SearchCommands(Context context) : m_context(std::move(context)) {}

void SearchCommands::mnuFindClick()
{
    SearchIsFind = true;
    const int result = m_context.findDialog()->exec();
    // Closing the dialog, by either button, ends the previous search.
    m_context.setNextEnabled(false);
    if (result != TDialogForm::mrOk)
        return;
    runFind();
}

void SearchCommands::mnuFindReplaceClick()
{
    SearchIsFind = false;
    const int result = m_context.findReplaceDialog()->exec();
    m_context.setNextEnabled(false);
    if (result != TDialogForm::mrOk)
        return;
    runFindReplace();
}

void SearchCommands::runFind()
{
    TREdit* editor = m_context.currentEditor();
    if (!editor)
        return;
    const QString word = m_context.findDialog()->zeFindMot->text();
    // Always from the top, whatever the caret or selection.
    SearchStart = 0;
    if (searchAndSelect(editor, word, findOptions()))
        m_context.setNextEnabled(true);
}

void SearchCommands::runFindReplace()
{
    TREdit* editor = m_context.currentEditor();
    if (!editor)
        return;
    TFindReplace* dialog = m_context.findReplaceDialog();
    const QString word = dialog->zeFindReplaceMot->text();
    // The first replacement is always the first occurrence from the top.
    SearchStart = 0;
    if (!searchAndSelect(editor, word, findReplaceOptions()))
        return;
    editor->replaceSelection(dialog->zeFindReplaceBy->text(), false);
    m_context.setNextEnabled(true);
}

void SearchCommands::mnuNextClick()
{
    TREdit* editor = m_context.currentEditor();
    if (!editor)
        return;
    // Both fields still hold the texts of the last successful search: they
    // change only while a dialog is open, and leaving one by Cancel
    // disables Next.
    const QString word = SearchIsFind ? m_context.findDialog()->zeFindMot->text()
                                      : m_context.findReplaceDialog()->zeFindReplaceMot->text();
    // Right after the selection; with nothing selected, from the top again.
    const int selectionLength = editor->selLength();
    SearchStart = selectionLength != 0 ? editor->selStart() + selectionLength : 0;
    const TextSearchOptions options = SearchIsFind ? findOptions() : findReplaceOptions();
    if (!searchAndSelect(editor, word, options)) {
        m_context.setNextEnabled(false);
        return;
    }
    if (!SearchIsFind)
        editor->replaceSelection(m_context.findReplaceDialog()->zeFindReplaceBy->text(), false);
}

bool SearchCommands::searchAndSelect(TREdit* editor, const QString& word, TextSearchOptions options)
{
    SearchLength = editor->textLength() - SearchStart;
    const TextMatch match = editor->findMatch(word, SearchStart, qint64(SearchStart) + SearchLength, options);
    FoundPos = qint32(match.position);
    if (!match.found())
        return false; // a miss leaves the caret and the selection alone
    editor->setSelStart(FoundPos);
    // The match's own length: a line break typed as "\r\n" in the word is
    // one character of the text.
    editor->setSelLength(qint32(match.length));
    return true;
}

TextSearchOptions SearchCommands::findOptions() const
{
    const TFind* dialog = m_context.findDialog();
    return {dialog->chkboxFindWord->isChecked(), dialog->chkboxFindCase->isChecked()};
}

TextSearchOptions SearchCommands::findReplaceOptions() const
{
    const TFindReplace* dialog = m_context.findReplaceDialog();
    return {dialog->chkboxFindReplaceWord->isChecked(), dialog->chkboxFindReplaceCase->isChecked()};
}
