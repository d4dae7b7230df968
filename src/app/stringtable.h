#pragma once

#include <QString>

// The program's string table: every user-visible text that forms load at
// creation, by id. One place for all forms, so the French texts are checked
// together.
namespace StringTable {

enum Id : int {
    // Main window
    sAppTitle = 65185,
    sTabDirectories = 65186,
    sTabFiles = 65187,
    sNewPage = 65188,
    sMenuFile = 65189,
    sMenuNew = 65190,
    sMenuOpen = 65191,
    sMenuClose = 65192,
    sMenuCloseAll = 65193,
    sMenuSave = 65194,
    sMenuSaveAll = 65195,
    sMenuExit = 65196,
    sMenuEdition = 65197,
    sMenuCopy = 65198,
    sMenuPaste = 65199,
    sMenuCut = 65168,
    sMenuFind = 65169,
    sMenuFindReplace = 65170,
    sMenuTimeUs = 65171,
    sMenuTimeEurope = 65172,
    sMenuNext = 65173,
    sMenuUndo = 65174,
    sMenuClearUndo = 65175,
    sMenuOption = 65176,
    sMenuAbout = 65177,
    sHintNew = 65178,
    sHintClose = 65179,
    sHintSave = 65180,
    sHintSaveAll = 65181,
    sHintOpen = 65182,
    sEmpty = 65184,

    // Find dialog
    sFindTitle = 65247,
    sFindWord = 65216,
    sFindWholeWord = 65217,
    sFindMatchCase = 65218,
    sFindStart = 65219,
    sFindCancel = 65220,

    // Find/Replace dialog
    sFindReplaceTitle = 65221,
    sFindReplaceWord = 65222,
    sFindReplaceBy = 65223,
    sFindReplaceWholeWord = 65224,
    sFindReplaceMatchCase = 65225,
    sFindReplaceStart = 65226,
    sFindReplaceCancel = 65227,

    // Options dialog
    sOption1Title = 65228,
    sOptionStatusBar = 65229,
    sOptionExplorer = 65230,
    sOptionFileInformation = 65231,
    sOptionToolbar = 65200,
    sOptionAllFileSaved = 65201,
    sOptionAllFileSaved2 = 65202,
    sOptionSeveralTimes = 65203,
    sOptionSeveralTimes2 = 65204,
    sOption2Title = 65205,
    sOptionEditorTitle = 65206,
    sOptionExplorerTitle = 65207,
    sOptionBackgroundColor = 65208,
    sOptionFontColor = 65209,
    sOptionFont = 65210,
    sOptionTabPosition = 65211,
    sOptionTabTop = 65212,
    sOptionTabBottom = 65213,
    sOptionTabLeft = 65214,
    sOptionTabRight = 65215,
};

// The text of an id; an id the table does not hold gives an empty text.
QString text(int id);

// Whether the table holds the id.
bool contains(int id);

// All ids, in increasing order.
QList<int> ids();

}
