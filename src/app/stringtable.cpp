#include "app/stringtable.h"

#include <QHash>

namespace StringTable {
namespace {

struct Entry {
    StringId id;
    const char16_t* text;
};

constexpr Entry entries[] = {
    {sMenuCut, u"Couper"},
    {sMenuFind, u"Trouver"},
    {sMenuFindReplace, u"Trouver / Remplacer"},
    {sMenuTimeUs, u"Temps (US)"},
    {sMenuTimeEurope, u"Temps (Europe)"},
    {sMenuNext, u"Suivant"},
    {sMenuUndo, u"Défaire"},
    {sMenuClearUndo, u"Vider Défaire"},
    {sMenuOption, u"Options"},
    {sMenuAbout, u"A propos de ..."},
    {sHintNew, u"Nouvelle page"},
    {sHintClose, u"Fermer fichier"},
    {sHintSave, u"Sauver fichier"},
    {sHintSaveAll, u"Sauver Tout"},
    {sHintOpen, u"Ouvrir fichier"},
    {sEmpty, u""},
    {sAppTitle, u"Scrivo 2.0"},
    {sTabDirectories, u"Répertoires"},
    {sTabFiles, u"Fichiers"},
    {sNewPage, u"Nouvelle page"},
    {sMenuFile, u"Fichier"},
    {sMenuNew, u"Nouveau"},
    {sMenuOpen, u"Ouvrir"},
    {sMenuClose, u"Fermer"},
    {sMenuCloseAll, u"Fermer tout"},
    {sMenuSave, u"Sauver"},
    {sMenuSaveAll, u"Sauver tout"},
    {sMenuSaveAs, u"Enregistrer sous..."},
    {sMenuExit, u"Quitter"},
    {sMenuEdition, u"Edition"},
    {sMenuCopy, u"Copier"},
    {sMenuPaste, u"Coller"},
    {sOptionToolbar, u"Bar d'outils"},
    {sOptionAllFileSaved, u"Vérifie si fichier(s)"},
    {sOptionAllFileSaved2, u" sauvé(s)en quittant."},
    {sOptionSeveralTimes, u"Ouvrir plusieurs fois"},
    {sOptionSeveralTimes2, u"le même fichier"},
    {sOption2Title, u"Options fonte et couleur"},
    {sOptionEditorTitle, u"Editeur"},
    {sOptionExplorerTitle, u"Explorateur"},
    {sOptionBackgroundColor, u"Couleur de fond"},
    {sOptionFontColor, u"Couleur de la fonte"},
    {sOptionFont, u"Fonte"},
    {sOptionTabPosition, u"Position onglets"},
    {sOptionTabTop, u"Haut"},
    {sOptionTabBottom, u"Bas"},
    {sOptionTabLeft, u"Gauche"},
    {sOptionTabRight, u"Droite"},
    {sFindWord, u"Chercher quoi"},
    {sFindWholeWord, u"Mot entier"},
    {sFindMatchCase, u"Respecte Majuscules"},
    {sFindStart, u"Commencer"},
    {sFindCancel, u"Abandonner"},
    {sFindReplaceTitle, u"Trouver et remplacer"},
    {sFindReplaceWord, u"Remplacer"},
    {sFindReplaceBy, u"par"},
    {sFindReplaceWholeWord, u"Mot entier"},
    {sFindReplaceMatchCase, u"Respecte Majuscules"},
    {sFindReplaceStart, u"Commencer"},
    {sFindReplaceCancel, u"Abandonner"},
    {sOption1Title, u"Options environnement"},
    {sOptionStatusBar, u"Bar de status"},
    {sOptionExplorer, u"Explorateur"},
    {sOptionFileInformation, u"Information Fichier"},
    {sFindTitle, u"Trouver un mot"},
};

const QHash<int, QString>& table()
{
    static const QHash<int, QString> map = [] {
        QHash<int, QString> m;
        for (const Entry& e : entries)
            m.insert(e.id, QString::fromUtf16(e.text));
        return m;
    }();
    return map;
}

}

QString text(int id) { return table().value(id); }

bool contains(int id) { return table().contains(id); }

QList<int> ids()
{
    QList<int> all = table().keys();
    std::sort(all.begin(), all.end());
    return all;
}

}
