#include "options/optionsinput.h"

#include "editor/tredit.h"
#include "options/colorcombobox.h"
#include "options/fontcombobox.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "settings/formstorage.h"
#include "settings/profilefile.h"
#include "explorer/listview.h"
#include "explorer/treeview.h"
#include "platform/tfont.h"
#include "support/programfixture.h"
#include "support/secondfoundry.h"
#include "widgets/checkbox.h"
#include "widgets/flatbutton.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"
#include "widgets/radiogroup.h"
#include "widgets/statusbar.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

using namespace OptionsInput;

namespace {

class SettingsProgramTest : public ProgramTest {
protected:
    static QString settingsPath() { return ProfileFile::defaultPath(); }

    static QByteArray settingsText()
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void setSettingsText(const QByteArray& text)
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    static std::optional<QString> stored(const char* section, const char* key)
    {
        return ProfileFile(settingsPath()).value(QString::fromLatin1(section), QString::fromLatin1(key));
    }

    // The lines of one section, header included, as the file holds them.
    static QByteArray sectionText(const QByteArray& text, const QByteArray& section)
    {
        const qsizetype start = text.indexOf('[' + section + ']');
        if (start < 0)
            return {};
        const qsizetype next = text.indexOf("\n[", start);
        return text.mid(start, next < 0 ? -1 : next - start);
    }

    static QString screenSuffix()
    {
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
    }

    // Two installed families, to tell them apart from a default.
    static QStringList twoFamilies()
    {
        QStringList families;
        for (const QString& family : QFontDatabase::families())
            if (!QFontDatabase::isPrivateFamily(family) && families.size() < 2)
                families << family;
        return families;
    }

    // Shows a search dialog modally and leaves it by its Cancel button.
    template <typename Dialog>
    static void showAndClose(Dialog* dialog, const std::function<void(Dialog*)>& actions = {})
    {
        answerModal<Dialog>([actions](Dialog* shown) {
            if (actions)
                actions(shown);
            if constexpr (std::is_same_v<Dialog, TFind>)
                QTest::mouseClick(shown->btFindCancel, Qt::LeftButton);
            else
                QTest::mouseClick(shown->btFindReplaceCancel, Qt::LeftButton);
        });
        EXPECT_EQ(dialog->exec(), 2);
    }
};

}

TEST_F(SettingsProgramTest, FirstRunWritesNothingUntilAFormIsClosedOrDestroyed)
{
    EXPECT_FALSE(QFile::exists(settingsPath()));
    Fp->btNewClick();
    EXPECT_FALSE(QFile::exists(settingsPath()));

    useOptions([](TOption*) {});
    EXPECT_TRUE(QFile::exists(settingsPath()));
    EXPECT_FALSE(sectionText(settingsText(), "TOption").isEmpty());
    EXPECT_TRUE(sectionText(settingsText(), "TFp").isEmpty());

    stop();
    EXPECT_FALSE(sectionText(settingsText(), "TFp").isEmpty());
    // Dialogs never shown never wrote.
    EXPECT_TRUE(sectionText(settingsText(), "TFind").isEmpty());
    EXPECT_TRUE(sectionText(settingsText(), "TFindReplace").isEmpty());
}

TEST_F(SettingsProgramTest, DefaultRunEndedByQuitterWritesTheExpectedFile)
{
    QTest::keyClick(Fp, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(Fp->isTerminating());
    // The views' font is the system's; its name depends on the machine.
    const QString treeFont = Fp->treeviewFp->property("Font").value<TFont*>()->name();
    const QString listFont = Fp->listviewFp->property("Font").value<TFont*>()->name();
    stop();
    const QString s = screenSuffix();
    EXPECT_EQ(settingsText().toStdString(), QStringLiteral("[TOption]\n"
                                                           "Flags=0\n"
                                                           "ShowCmd=1\n"
                                                           "PixelsPerInch=96\n"
                                                           "MinMaxPos%1=-1,-1,-1,-1\n"
                                                           "MinMaxPos=-1,-1,-1,-1\n"
                                                           "NormPos%1=0,0,501,315\n"
                                                           "NormPos=0,0,501,315\n"
                                                           "Visible=1\n"
                                                           "chkboxOptionStatusBar_Checked=True\n"
                                                           "chkboxOptionExplorer_Checked=True\n"
                                                           "chkboxOptionFileInformation_Checked=True\n"
                                                           "chkboxOptionToolbar_Checked=True\n"
                                                           "rdgroupOptionTabPosition_ItemIndex=0\n"
                                                           "comboOptionColorEditeur_ColorValue=16777215\n"
                                                           "comboOptionColorFontEditeur_ColorValue=0\n"
                                                           "comboOptionFontEditeur_FontName=\n"
                                                           "comboOptionColorExplorer_ColorValue=16777215\n"
                                                           "comboOptionColorFontExplorer_ColorValue=0\n"
                                                           "comboOptionFontExplorer_FontName=\n"
                                                           "chkboxOptionSeveralTimes_Checked=True\n"
                                                           "chkboxOptionAllFileSaved_Checked=True\n"
                                                           "\n"
                                                           "[TFp]\n"
                                                           "Flags=0\n"
                                                           "ShowCmd=1\n"
                                                           "PixelsPerInch=96\n"
                                                           "MinMaxPos%1=-1,-1,-1,-1\n"
                                                           "MinMaxPos=-1,-1,-1,-1\n"
                                                           "NormPos%1=382,311,1182,911\n"
                                                           "NormPos=382,311,1182,911\n"
                                                           "Visible=1\n"
                                                           "panelFpExplorateur_Width=217\n"
                                                           "panelFpEdition_Visible=True\n"
                                                           "statusbarFp_Visible=False\n"
                                                           "panelFpExplorateur_Visible=True\n"
                                                           "panelFpInfoFichier_Visible=True\n"
                                                           "panelFpBouton_Visible=True\n"
                                                           "pageEdition_TabPosition=tpTop\n"
                                                           "listviewFp_Color=-2147483643\n"
                                                           "listviewFp_FontCharset=1\n"
                                                           "listviewFp_FontColor=-2147483640\n"
                                                           "listviewFp_FontHeight=-11\n"
                                                           "listviewFp_FontName=%3\n"
                                                           "listviewFp_FontPitch=fpDefault\n"
                                                           "listviewFp_FontSize=8\n"
                                                           "listviewFp_FontStyle=[]\n"
                                                           "treeviewFp_Color=-2147483643\n"
                                                           "treeviewFp_FontCharset=1\n"
                                                           "treeviewFp_FontColor=-2147483640\n"
                                                           "treeviewFp_FontHeight=-11\n"
                                                           "treeviewFp_FontName=%2\n"
                                                           "treeviewFp_FontPitch=fpDefault\n"
                                                           "treeviewFp_FontSize=8\n"
                                                           "treeviewFp_FontStyle=[]\n")
                                                  .arg(s, treeFont, listFont)
                                                  .toStdString());
}

TEST_F(SettingsProgramTest, RestartBringsBackTheWindowThePanelsAndEveryOption)
{
    const QStringList families = twoFamilies();
    ASSERT_EQ(families.size(), 2);
    Fp->move(100, 50);
    Fp->resize(700, 500);
    Fp->panelFpExplorateur->setPanelWidth(260);
    useOptions([&families](TOption* dialog) {
        click(dialog->chkboxOptionStatusBar);
        click(dialog->chkboxOptionStatusBar);
        click(dialog->chkboxOptionExplorer);
        space(dialog->chkboxOptionFileInformation);
        click(dialog->chkboxOptionToolbar);
        click(dialog->chkboxOptionAllFileSaved);
        click(dialog->chkboxOptionSeveralTimes);
        click(dialog->rdgroupOptionTabPosition->item(2));
        pick(dialog->comboOptionColorEditeur, QStringLiteral("Yellow"));
        pick(dialog->comboOptionColorFontEditeur, QStringLiteral("Maroon"));
        pick(dialog->comboOptionFontEditeur, families[1]);
        pick(dialog->comboOptionColorExplorer, QStringLiteral("Teal"));
        pick(dialog->comboOptionColorFontExplorer, QStringLiteral("Silver"));
        pick(dialog->comboOptionFontExplorer, families[0]);
    });
    // The window is as large as its contents need.
    const QRect placed(Fp->pos(), Fp->size());
    start();

    EXPECT_EQ(QRect(Fp->pos(), Fp->size()), placed);
    EXPECT_EQ(Fp->panelFpExplorateur->panelWidth(), 260);
    EXPECT_TRUE(Fp->statusbarFp->isVisible());
    EXPECT_FALSE(Fp->panelFpExplorateur->isVisible());
    EXPECT_FALSE(Fp->panelFpInfoFichier->isVisible());
    EXPECT_FALSE(Fp->panelFpBouton->isVisible());
    EXPECT_TRUE(Fp->panelFpEdition->isVisible());
    EXPECT_EQ(Fp->pageEdition->tabPosition(), QTabWidget::West);

    EXPECT_TRUE(Option->chkboxOptionStatusBar->isChecked());
    EXPECT_FALSE(Option->chkboxOptionExplorer->isChecked());
    EXPECT_FALSE(Option->chkboxOptionFileInformation->isChecked());
    EXPECT_FALSE(Option->chkboxOptionToolbar->isChecked());
    EXPECT_FALSE(Option->chkboxOptionAllFileSaved->isChecked());
    EXPECT_FALSE(Option->chkboxOptionSeveralTimes->isChecked());
    EXPECT_EQ(Option->rdgroupOptionTabPosition->itemIndex(), 2);
    EXPECT_EQ(Option->comboOptionColorEditeur->colorValue(), Colors::rgb(255, 255, 0));
    EXPECT_EQ(Option->comboOptionColorFontEditeur->colorValue(), Colors::rgb(128, 0, 0));
    EXPECT_EQ(Option->comboOptionFontEditeur->fontName(), families[1]);
    EXPECT_EQ(Option->comboOptionColorExplorer->colorValue(), Colors::rgb(0, 128, 128));
    EXPECT_EQ(Option->comboOptionColorFontExplorer->colorValue(), Colors::rgb(192, 192, 192));
    EXPECT_EQ(Option->comboOptionFontExplorer->fontName(), families[0]);

    // The first document already has the stored editor look.
    const TREdit* editor = docs().slot(0).Editor;
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(128, 0, 0));
    EXPECT_EQ(editor->font().family(), families[1]);
}

TEST_F(SettingsProgramTest, AMaximisedWindowComesBackMaximised)
{
    Fp->setGeometry(150, 120, 500, 400);
    const QRect normal = Fp->geometry();
    Fp->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(Fp->isMaximized());
    start();
    EXPECT_TRUE(Fp->isMaximized());
    EXPECT_EQ(stored("TFp", "ShowCmd"), QStringLiteral("3"));
    Fp->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(Fp->geometry(), normal);
}

TEST_F(SettingsProgramTest, HandEditedFileIsReadAsTheProfileFunctionsRead)
{
    const QStringList families = twoFamilies();
    stop();
    setSettingsText("garbage before any section\n"
                    "[tfp]\n"
                    "statusbarFp_Visible=true\n"
                    "panelFpBouton_Visible=yes\n"
                    "pageEdition_TabPosition=TPBOTTOM\n"
                    "panelFpExplorateur_Width=  300  \n"
                    "=no key\n"
                    "[TOption]\n"
                    "comboOptionFontEditeur_FontName='"
                    + families[1].toUtf8()
                    + "'\n"
                      "comboOptionColorEditeur_ColorValue=255\n"
                      "comboOptionColorFontEditeur_ColorValue=-2147483643\n"
                      "comboOptionFontExplorer_FontName="
                    + QByteArray(3000, 'F')
                    + "\n"
                      "rdgroupOptionTabPosition_ItemIndex=three\n"
                      "chkboxOptionToolbar_Checked=FALSE\n"
                      "\x01\x02 binary \xFF\n"
                      "[TFind\n");
    start();
    EXPECT_TRUE(Fp->statusbarFp->isVisible());
    EXPECT_TRUE(Fp->panelFpBouton->isVisible());
    EXPECT_EQ(Fp->pageEdition->tabPosition(), QTabWidget::South);
    EXPECT_EQ(Fp->panelFpExplorateur->panelWidth(), 300);

    EXPECT_EQ(Option->comboOptionFontEditeur->fontName(), families[1]);
    EXPECT_EQ(Option->comboOptionColorEditeur->colorValue(), Colors::rgb(255, 0, 0));
    EXPECT_EQ(Option->comboOptionColorFontEditeur->colorValue(), Colors::clWindow);
    // Cut to 2047 characters, and no family of that name: kept as it came.
    EXPECT_EQ(Option->comboOptionFontExplorer->fontName(), QString(2047, u'F'));
    EXPECT_EQ(Option->rdgroupOptionTabPosition->itemIndex(), 0);
    EXPECT_FALSE(Option->chkboxOptionToolbar->isChecked());
    EXPECT_TRUE(Option->chkboxOptionStatusBar->isChecked());
    const TREdit* editor = docs().slot(0).Editor;
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(editor->palette().color(QPalette::Text), Colors::toQColor(Colors::clWindow));
    EXPECT_EQ(editor->font().family(), families[1]);

    // The section is updated in place; the other lines stay.
    stop();
    const QByteArray text = settingsText();
    EXPECT_TRUE(text.startsWith("garbage before any section\n[tfp]\nstatusbarFp_Visible=True\n"));
    EXPECT_TRUE(text.contains("\n\x01\x02 binary \xFF\n"));
    // A value the program read and did not change is left as the file has it.
    EXPECT_TRUE(text.contains("\ncomboOptionFontExplorer_FontName=" + QByteArray(3000, 'F') + '\n'));
    EXPECT_TRUE(text.contains("\npanelFpBouton_Visible=True\n"));
}

TEST_F(SettingsProgramTest, FontsAreStoredByFamilyName)
{
    stop();
    const SecondFoundryFont second(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"));
    ASSERT_TRUE(second.isLoaded());
    setSettingsText("[TOption]\n"
                    "comboOptionFontEditeur_FontName=DejaVu Serif\n"
                    "comboOptionFontExplorer_FontName=DejaVu Serif [ZZTS]\n");
    start();
    EXPECT_EQ(Option->comboOptionFontEditeur->fontName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(Option->comboOptionFontExplorer->fontName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(docs().slot(0).Editor->font().family(), QStringLiteral("DejaVu Serif"));
    stop();
    EXPECT_EQ(stored("TOption", "comboOptionFontEditeur_FontName"), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(stored("TOption", "comboOptionFontExplorer_FontName"), QStringLiteral("DejaVu Serif"));
}

TEST_F(SettingsProgramTest, AFontNotInstalledIsKeptUntilTheUserPicksAnother)
{
    stop();
    setSettingsText("[TOption]\ncomboOptionFontEditeur_FontName=Font Removed Since\n");
    start();
    EXPECT_EQ(Option->comboOptionFontEditeur->fontName(), QStringLiteral("Font Removed Since"));
    // The editor asks for it and Qt draws with the nearest installed font.
    EXPECT_EQ(docs().slot(0).Editor->font().family(), QStringLiteral("Font Removed Since"));
    useOptions([](TOption* dialog) { EXPECT_TRUE(dialog->comboOptionFontEditeur->isNotInstalled()); });
    stop();
    EXPECT_EQ(stored("TOption", "comboOptionFontEditeur_FontName"), QStringLiteral("Font Removed Since"));

    start();
    useOptions([](TOption* dialog) { pick(dialog->comboOptionFontEditeur, QStringLiteral("DejaVu Sans")); });
    EXPECT_EQ(docs().slot(0).Editor->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(Option->comboOptionFontEditeur->findText(QStringLiteral("Font Removed Since")), -1);
    stop();
    EXPECT_EQ(stored("TOption", "comboOptionFontEditeur_FontName"), QStringLiteral("DejaVu Sans"));
}

TEST_F(SettingsProgramTest, DialogsShowNormallyWhateverStateWasStored)
{
    stop();
    setSettingsText("[TOption]\nShowCmd=2\n[TFind]\nShowCmd=3\n[TFindReplace]\nShowCmd=7\n");
    start();
    useOptions([](TOption* dialog) {
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowState(), Qt::WindowNoState);
    });
    showAndClose<TFind>(Find, [](TFind* dialog) { EXPECT_EQ(dialog->windowState(), Qt::WindowNoState); });
    showAndClose<TFindReplace>(FindReplace,
                               [](TFindReplace* dialog) { EXPECT_EQ(dialog->windowState(), Qt::WindowNoState); });
    EXPECT_EQ(stored("TOption", "ShowCmd"), QStringLiteral("1"));
    EXPECT_EQ(stored("TFind", "ShowCmd"), QStringLiteral("1"));
    EXPECT_EQ(stored("TFindReplace", "ShowCmd"), QStringLiteral("1"));
}

TEST_F(SettingsProgramTest, OptionsAreNotAppliedToTheMainWindowAtStart)
{
    stop();
    setSettingsText("[TOption]\n"
                    "chkboxOptionStatusBar_Checked=True\n"
                    "chkboxOptionToolbar_Checked=False\n"
                    "rdgroupOptionTabPosition_ItemIndex=3\n"
                    "[TFp]\n"
                    "statusbarFp_Visible=False\n"
                    "panelFpBouton_Visible=True\n");
    start();
    EXPECT_TRUE(Option->chkboxOptionStatusBar->isChecked());
    EXPECT_FALSE(Fp->statusbarFp->isVisible());
    EXPECT_FALSE(Option->chkboxOptionToolbar->isChecked());
    EXPECT_TRUE(Fp->panelFpBouton->isVisible());
    EXPECT_EQ(Option->rdgroupOptionTabPosition->itemIndex(), 3);
    EXPECT_EQ(Fp->pageEdition->tabPosition(), QTabWidget::North);
}

TEST_F(SettingsProgramTest, ClosingTheFindDialogChangesOnlyItsSection)
{
    useOptions([](TOption*) {});
    stop();
    start();
    const QByteArray before = settingsText();
    ASSERT_FALSE(sectionText(before, "TOption").isEmpty());
    ASSERT_FALSE(sectionText(before, "TFp").isEmpty());

    showAndClose<TFind>(Find, [](TFind* dialog) { click(dialog->chkboxFindCase); });
    const QByteArray after = settingsText();
    EXPECT_EQ(sectionText(after, "TOption"), sectionText(before, "TOption"));
    EXPECT_EQ(sectionText(after, "TFp"), sectionText(before, "TFp"));
    EXPECT_TRUE(sectionText(after, "TFindReplace").isEmpty());
    EXPECT_EQ(stored("TFind", "chkboxFindCase_Checked"), QStringLiteral("True"));
    EXPECT_EQ(stored("TFind", "chkboxFindWord_Checked"), QStringLiteral("False"));
    EXPECT_EQ(stored("TFind", "Visible"), QStringLiteral("0"));
    EXPECT_EQ(stored("TFind", "ShowCmd"), QStringLiteral("1"));

    // Closing again without a change writes the same.
    showAndClose<TFind>(Find);
    EXPECT_EQ(settingsText(), after);

    // A run that never shows the Find dialog leaves its section alone.
    start();
    const QByteArray findSection = sectionText(settingsText(), "TFind");
    stop();
    EXPECT_EQ(sectionText(settingsText(), "TFind"), findSection);
}

TEST_F(SettingsProgramTest, SearchCheckBoxesComeBackWhenTheDialogsAreShown)
{
    EXPECT_EQ(Find->findChild<TFormStorage*>()->StoredProps(),
              (QStringList{QStringLiteral("chkboxFindCase.Checked"), QStringLiteral("chkboxFindWord.Checked")}));
    EXPECT_EQ(FindReplace->findChild<TFormStorage*>()->StoredProps(),
              (QStringList{QStringLiteral("chkboxFindReplaceCase.Checked"),
                           QStringLiteral("chkboxFindReplaceWord.Checked")}));
    showAndClose<TFind>(Find, [](TFind* dialog) {
        click(dialog->chkboxFindCase);
        click(dialog->chkboxFindWord);
    });
    showAndClose<TFindReplace>(FindReplace, [](TFindReplace* dialog) { click(dialog->chkboxFindReplaceWord); });
    start();
    // Nothing is read before a dialog shows.
    EXPECT_FALSE(Find->chkboxFindCase->isChecked());
    EXPECT_FALSE(FindReplace->chkboxFindReplaceWord->isChecked());
    showAndClose<TFind>(Find, [](TFind* dialog) {
        EXPECT_TRUE(dialog->chkboxFindCase->isChecked());
        EXPECT_TRUE(dialog->chkboxFindWord->isChecked());
    });
    showAndClose<TFindReplace>(FindReplace, [](TFindReplace* dialog) {
        EXPECT_FALSE(dialog->chkboxFindReplaceCase->isChecked());
        EXPECT_TRUE(dialog->chkboxFindReplaceWord->isChecked());
    });
    // The two dialogs keep separate options.
    EXPECT_EQ(stored("TFindReplace", "chkboxFindReplaceCase_Checked"), QStringLiteral("False"));
    EXPECT_EQ(stored("TFind", "chkboxFindCase_Checked"), QStringLiteral("True"));
}

TEST_F(SettingsProgramTest, AnUnwritableFileIsReportedAndTheProgramGoesOn)
{
    stop();
    // No write bit at all: read-only even for the superuser.
    setSettingsText("[TOption]\nchkboxOptionAllFileSaved_Checked=True\n");
    ASSERT_TRUE(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::ReadGroup));
    const QString message = QStringLiteral("Unable to write to %1.").arg(settingsPath());
    ErrorRecorder errors;
    start();
    EXPECT_TRUE(errors.messages().isEmpty());

    useOptions([](TOption* dialog) { click(dialog->chkboxOptionAllFileSaved); });
    EXPECT_EQ(errors.messages(), QStringList{message});
    // The program goes on, and the dialog keeps the user's choice.
    Fp->btNewClick();
    EXPECT_EQ(docs().OpenDocumentCount(), 2);
    useOptions([](TOption* dialog) { EXPECT_FALSE(dialog->chkboxOptionAllFileSaved->isChecked()); });
    EXPECT_FALSE(Option->chkboxOptionAllFileSaved->isChecked());

    errors.clear();
    stop();
    EXPECT_FALSE(errors.messages().isEmpty());
    for (const QString& text : errors.messages())
        EXPECT_EQ(text, message);
    EXPECT_EQ(settingsText(), "[TOption]\nchkboxOptionAllFileSaved_Checked=True\n");
    QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(SettingsProgramTest, AnUnreadableFileIsReportedOnceAtStartAndLeftAlone)
{
    const QString reason = QStringLiteral("Unable to read %1 (%2): the settings are not kept until it can be read.");
    // Too large to be a settings file (a sparse file costs no disk), then a
    // folder in the file's place.
    const auto makeHuge = [] {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[TFp]\nstatusbarFp_Visible=True\n");
        ASSERT_TRUE(file.resize(ProfileFile::MaxFileSize + 1));
    };
    const auto makeFolder = [] {
        ASSERT_TRUE(QFile::remove(settingsPath()));
        ASSERT_TRUE(QDir().mkpath(settingsPath()));
    };
    const std::pair<std::function<void()>, QString> cases[] = {{makeHuge, QStringLiteral("larger than 16 MiB")},
                                                               {makeFolder, QStringLiteral("it is a folder")}};
    for (const auto& [make, cause] : cases) {
        stop();
        make();
        const qint64 size = QFileInfo(settingsPath()).size();
        ErrorRecorder errors;
        start();
        EXPECT_EQ(errors.messages(), QStringList{reason.arg(settingsPath(), cause)});
        EXPECT_FALSE(Fp->statusbarFp->isVisible());

        // Closing the dialogs and ending the program say nothing more, and
        // nothing is written over the file.
        errors.clear();
        useOptions([](TOption* dialog) { click(dialog->chkboxOptionAllFileSaved); });
        showAndClose<TFind>(Find, [](TFind* dialog) { click(dialog->chkboxFindCase); });
        useOptions([](TOption* dialog) { EXPECT_FALSE(dialog->chkboxOptionAllFileSaved->isChecked()); });
        stop();
        EXPECT_EQ(errors.messages(), QStringList());
        EXPECT_EQ(QFileInfo(settingsPath()).size(), size);
    }
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
}
