#pragma once

#include "editor/textsearch.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class TFind;
class TFindReplace;
class TREdit;

// Find, Find / Replace and Next on the active document, and the search
// state they share: one set for the whole program. The only signs of a
// search's outcome are the editor's selection and whether Next is enabled.
class SearchCommands {
public:
    struct Context {
        // The editor of the active document, read afresh at each command
        // (null while no document is open).
        std::function<TREdit*()> currentEditor;
        // The two dialogs; they are created after the main window.
        std::function<TFind*()> findDialog;
        std::function<TFindReplace*()> findReplaceDialog;
        // Enables or disables the Next command.
        std::function<void(bool)> setNextEnabled;
    };

    explicit SearchCommands(Context context);

    // True when the last search dialog opened was Find: Next then finds;
    // after Find / Replace, Next replaces.
    bool SearchIsFind = true;
    // Where the last search began, and how many characters it covered.
    qint32 SearchStart = 0;
    qint32 SearchLength = 0;
    // Position of the last match, or -1.
    qint32 FoundPos = -1;

    // Find: asks for a word and selects its first occurrence from the top.
    void mnuFindClick();
    // Find / Replace: asks for a word and its replacement and replaces the
    // first occurrence from the top.
    void mnuFindReplaceClick();
    // Next: repeats the search of the last dialog from the end of the
    // selection, or from the top when nothing is selected. No wrap-around.
    void mnuNextClick();

    // What Find and Find / Replace do once their dialog has been answered
    // with Start.
    void runFind();
    void runFindReplace();

private:
    // Searches from SearchStart to the end of the text and records the
    // outcome; true when found, with the match selected and scrolled into view.
    bool searchAndSelect(TREdit* editor, const QString& word, TextSearchOptions options);
    TextSearchOptions findOptions() const;
    TextSearchOptions findReplaceOptions() const;

    Context m_context;
};
