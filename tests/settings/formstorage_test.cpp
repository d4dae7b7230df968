#include "settings/formstorage.h"

#include "platform/tfont.h"
#include "settings/profilefile.h"
#include "settings/settingslock.h"
#include "support/testenv.h"
#include "widgets/checkbox.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Stands for an explorer view: a colour and a font object.
class SampleView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Color MEMBER color)
    Q_PROPERTY(TFont* Font READ font)
public:
    using QWidget::QWidget;
    TFont* font() const { return m_font; }
    int color = Colors::clWindow;

private:
    TFont* m_font = new TFont(this);
};

// A main window whose close can be refused.
class SampleWindow : public QWidget {
    Q_OBJECT
public:
    bool mayClose = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(mayClose); }
};

template <typename Form>
struct Sample {
    Sample()
    {
        form->setObjectName(QStringLiteral("Sample"));
        box = new TCheckBox(QStringLiteral("box"), form.get());
        box->setObjectName(QStringLiteral("boxA"));
        panel = new TPanel(form.get());
        panel->setObjectName(QStringLiteral("panelA"));
        page = new TPageControl(form.get());
        page->setObjectName(QStringLiteral("pageA"));
        view = new SampleView(form.get());
        view->setObjectName(QStringLiteral("viewA"));
    }
    std::unique_ptr<Form> form = std::make_unique<Form>();
    TCheckBox* box;
    TPanel* panel;
    TPageControl* page;
    SampleView* view;
};

class FormStorageTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.path() + QStringLiteral("/test.INI"); }

    TFormStorage* store(QWidget* form, const QStringList& props)
    {
        auto* store = new TFormStorage(form, QStringLiteral("formstorageSample"), props);
        store->IniFileName = path();
        return store;
    }

    QByteArray fileText() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void setFileText(const QByteArray& text) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    std::optional<QString> stored(const QString& section, const QString& key) const
    {
        return ProfileFile(path()).value(section, key);
    }

    static QString suffix()
    {
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
    }

    QTemporaryDir m_dir;
};

const QStringList sampleProps = {QStringLiteral("boxA.Checked"), QStringLiteral("panelA.Width"),
                                 QStringLiteral("pageA.TabPosition"), QStringLiteral("viewA.Color"),
                                 QStringLiteral("viewA.Font")};

}

TEST_F(FormStorageTest, PreparesTheStoredListByItsRules)
{
    Sample<QWidget> sample;
    TFormStorage* storage = store(sample.form.get(), {QStringLiteral("boxA.Checked"), QStringLiteral("no dot"),
                                                      QStringLiteral(".Checked"), QStringLiteral("boxA. "),
                                                      QStringLiteral(" panelA . Width "), QStringLiteral("gone.Checked"),
                                                      QStringLiteral("boxA.NoSuchProperty"), QStringLiteral("BOXA.checked")});
    EXPECT_EQ(storage->StoredProps(), (QStringList{QStringLiteral("boxA.Checked"), QStringLiteral("panelA.Width"),
                                                   QStringLiteral("boxA.NoSuchProperty"), QStringLiteral("BOXA.checked")}));
    EXPECT_EQ(storage->iniSection(), QStringLiteral("QWidget"));

    // A component that goes takes its entries along.
    delete sample.box;
    EXPECT_EQ(storage->StoredProps(), QStringList{QStringLiteral("panelA.Width")});
    storage->RestoreFormSettings();
    storage->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("panelA_Width")), QStringLiteral("100"));
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("boxA_Checked")), std::nullopt);
}

TEST_F(FormStorageTest, WritesNothingUntilRestoredThenEveryKeyInOrder)
{
    Sample<QWidget> sample;
    TFormStorage* storage = store(sample.form.get(), sampleProps);
    storage->IniSection = QStringLiteral("TSample");
    sample.form->setGeometry(100, 120, 300, 200);
    storage->SaveFormSettings();
    storage->FormDestroy();
    EXPECT_FALSE(QFile::exists(path()));

    sample.view->font()->setName(QStringLiteral("Arial"));
    sample.view->font()->setSize(10);
    sample.view->font()->setStyle(TFont::fsBold | TFont::fsUnderline);
    sample.view->color = 255;
    sample.box->setCheckedSilently(true);
    sample.page->setTabSide(TPageControl::tpRight);
    storage->RestoreFormSettings(); // no file: nothing changes
    EXPECT_TRUE(storage->Restored());
    EXPECT_EQ(sample.form->geometry(), QRect(100, 120, 300, 200));
    EXPECT_TRUE(sample.box->isChecked());
    storage->FormDestroy();
    EXPECT_TRUE(storage->Saved());
    EXPECT_FALSE(storage->Destroying());
    const QString s = suffix();
    EXPECT_EQ(fileText().toStdString(), QStringLiteral("[TSample]\n"
                                                             "Flags=0\n"
                                                             "ShowCmd=1\n"
                                                             "PixelsPerInch=96\n"
                                                             "MinMaxPos%1=-1,-1,-1,-1\n"
                                                             "MinMaxPos=-1,-1,-1,-1\n"
                                                             "NormPos%1=100,120,400,320\n"
                                                             "NormPos=100,120,400,320\n"
                                                             "Visible=1\n"
                                                             "boxA_Checked=True\n"
                                                             "panelA_Width=100\n"
                                                             "pageA_TabPosition=tpRight\n"
                                                             "viewA_Color=255\n"
                                                             "viewA_FontCharset=1\n"
                                                             "viewA_FontColor=-2147483640\n"
                                                             "viewA_FontHeight=-13\n"
                                                             "viewA_FontName=Arial\n"
                                                             "viewA_FontPitch=fpDefault\n"
                                                             "viewA_FontSize=10\n"
                                                             "viewA_FontStyle=[fsBold,fsUnderline]\n")
                                                  .arg(s)
                                                  .toStdString());
    // Saved since the last restore: destroying writes nothing more.
    setFileText("");
    storage->FormDestroy();
    EXPECT_EQ(fileText(), QByteArray());
}

TEST_F(FormStorageTest, ReadsHandEditedValues)
{
    setFileText("[QWidget]\n"
                "boxa_checked=true\n"
                "pageA_TabPosition=TPLEFT\n"
                "viewA_Color= -2147483643 \n"
                "viewA_FontName='Courier New'\n"
                "viewA_FontHeight=-20\n"
                "viewA_FontSize=9\n"
                "viewA_FontStyle=[fsBold, fsItalic]\n"
                "viewA_FontPitch=fpWide\n"
                "panelA_Width=abc\n"
                "garbage\n");
    Sample<QWidget> sample;
    sample.view->font()->setPitch(TFont::fpFixed);
    sample.panel->setPanelWidth(50);
    store(sample.form.get(), sampleProps)->RestoreFormSettings();
    EXPECT_TRUE(sample.box->isChecked());
    EXPECT_EQ(sample.page->tabSide(), TPageControl::tpLeft);
    EXPECT_EQ(sample.view->color, -2147483643);
    TFont* font = sample.view->font();
    EXPECT_EQ(font->name(), QStringLiteral("Courier New"));
    EXPECT_EQ(font->size(), 9); // Size comes after Height
    EXPECT_EQ(font->style(), TFont::fsBold | TFont::fsItalic);
    EXPECT_EQ(font->pitch(), TFont::fpFixed); // no such name: unchanged
    EXPECT_EQ(sample.panel->panelWidth(), 0); // not a number: 0

    setFileText("[QWidget]\nboxA_Checked=yes\nviewA_FontHeight=-20\n");
    store(sample.form.get(), sampleProps)->RestoreFormSettings();
    EXPECT_TRUE(sample.box->isChecked());
    EXPECT_EQ(font->size(), 15); // 20 pixels at 96 per inch
}

TEST_F(FormStorageTest, ADialogRereadsWhenShownAndSavesWhenFinished)
{
    Sample<QDialog> sample;
    TFormStorage* storage = store(sample.form.get(), {QStringLiteral("boxA.Checked")});
    setFileText("[QDialog]\nboxA_Checked=True\n");
    sample.form->show();
    EXPECT_TRUE(storage->Restored());
    EXPECT_TRUE(sample.box->isChecked());
    sample.box->setCheckedSilently(false);
    sample.form->done(1);
    EXPECT_TRUE(storage->Saved());
    EXPECT_EQ(stored(QStringLiteral("QDialog"), QStringLiteral("boxA_Checked")), QStringLiteral("False"));
    EXPECT_EQ(stored(QStringLiteral("QDialog"), QStringLiteral("Visible")), QStringLiteral("0"));

    setFileText("[QDialog]\nboxA_Checked=True\n");
    sample.form->show();
    EXPECT_FALSE(storage->Saved());
    EXPECT_TRUE(sample.box->isChecked());
    // A close by the window system ends the dialog the same way.
    sample.box->setCheckedSilently(false);
    sample.form->close();
    EXPECT_EQ(stored(QStringLiteral("QDialog"), QStringLiteral("boxA_Checked")), QStringLiteral("False"));

    // An inactive store does nothing by itself.
    storage->Active = false;
    setFileText("");
    sample.form->show();
    sample.form->done(1);
    EXPECT_EQ(fileText(), QByteArray());
}

TEST_F(FormStorageTest, AMainWindowSavesWhenItsCloseIsAccepted)
{
    Sample<SampleWindow> sample;
    TFormStorage* storage = store(sample.form.get(), {QStringLiteral("boxA.Checked")});
    sample.form->show();
    ASSERT_TRUE(storage->Restored());
    EXPECT_FALSE(sample.form->close());
    EXPECT_TRUE(sample.form->isVisible());
    EXPECT_FALSE(QFile::exists(path()));
    sample.form->mayClose = true;
    EXPECT_TRUE(sample.form->close());
    EXPECT_FALSE(sample.form->isVisible());
    EXPECT_TRUE(storage->Saved());
    EXPECT_EQ(stored(QStringLiteral("SampleWindow"), QStringLiteral("boxA_Checked")), QStringLiteral("False"));
}

TEST_F(FormStorageTest, RestoresPositionSizeAndState)
{
    const QString s = suffix();
    Sample<QWidget> sample;
    QWidget* form = sample.form.get();
    TFormStorage* storage = store(form, {});
    form->setGeometry(10, 20, 200, 100);

    setFileText(QStringLiteral("[QWidget]\nPixelsPerInch=96\nNormPos=30,40,330,240\nNormPos%1=50, 60 ,450,360\n"
                               "ShowCmd=1\n").arg(s).toUtf8());
    storage->RestoreFormSettings();
    EXPECT_EQ(form->pos(), QPoint(50, 60));
    EXPECT_EQ(form->size(), QSize(400, 300));
    EXPECT_EQ(form->windowState() & Qt::WindowMaximized, Qt::WindowStates());

    // Another screen size: the plain key. A missing word keeps the current value.
    setFileText("[QWidget]\nNormPos=70,80,370\nShowCmd=3\n");
    storage->RestoreFormSettings();
    EXPECT_EQ(form->pos(), QPoint(70, 80));
    EXPECT_EQ(form->size(), QSize(300, 280)); // the old bottom, 360
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);

    // Another pixel density: position and size are not taken; the state is.
    setFileText("[QWidget]\nPixelsPerInch=144\nNormPos=0,0,100,100\nShowCmd=1\n");
    storage->RestoreFormSettings();
    EXPECT_EQ(form->pos(), QPoint(70, 80));
    EXPECT_FALSE(form->windowState() & Qt::WindowMaximized);

    // Rectangles no window can take are passed over.
    for (const char* bad : {"10,10,5,50", "10,10,50,10", "-2147483648,0,2147483647,10", "0,0,40000,100", "x,y"}) {
        setFileText(QByteArray("[QWidget]\nNormPos=") + bad + "\n");
        storage->RestoreFormSettings();
        EXPECT_EQ(form->geometry(), QRect(70, 80, 300, 280)) << bad;
    }

    // A window that would lie beyond every screen comes back onto one.
    setFileText("[QWidget]\nNormPos=20000,20000,20300,20100\n");
    storage->RestoreFormSettings();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size())));
    EXPECT_EQ(form->size(), QSize(300, 100));

    // Without fpPosition only the state is read.
    storage->Options = TFormPlacement::fpState;
    setFileText("[QWidget]\nNormPos=1,2,3,4\nShowCmd=7\n");
    storage->RestoreFormSettings();
    EXPECT_EQ(form->size(), QSize(300, 100));
    // The main window is minimised once the program is up.
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(FormStorageTest, AFixedSizeDialogTakesOnlyItsPosition)
{
    QWidget owner;
    QDialog dialog(&owner);
    dialog.setFixedSize(200, 100);
    TFormStorage* storage = store(&dialog, {});
    setFileText("[QDialog]\nNormPos=30,40,930,840\nShowCmd=2\n");
    storage->RestoreFormSettings();
    EXPECT_EQ(dialog.pos(), QPoint(30, 40));
    EXPECT_EQ(dialog.size(), QSize(200, 100));
    // A dialog is neither minimised (it would hold the program unseen) nor,
    // with its fixed size, maximised.
    EXPECT_EQ(dialog.windowState(), Qt::WindowNoState);
    setFileText("[QDialog]\nShowCmd=3\n");
    storage->RestoreFormSettings();
    EXPECT_EQ(dialog.windowState(), Qt::WindowNoState);
}

TEST(Placement, WordsAndShowCommands)
{
    EXPECT_EQ(Placement::words(QStringLiteral("1,2,3,4"), {9, 9, 9, 9}), (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(Placement::words(QStringLiteral(" 1 , -2\t3,,4,5"), {9, 9, 9, 9}), (std::array<int, 4>{1, -2, 3, 4}));
    EXPECT_EQ(Placement::words(QStringLiteral("1,b,3"), {9, 8, 7, 6}), (std::array<int, 4>{1, 8, 3, 6}));
    EXPECT_EQ(Placement::format({-1, -1, -1, -1}), QStringLiteral("-1,-1,-1,-1"));
    for (int normal : {1, 5, 9})
        EXPECT_EQ(Placement::stateOfShowCommand(normal), Qt::WindowNoState);
    for (int minimised : {2, 6, 7})
        EXPECT_EQ(Placement::stateOfShowCommand(minimised), Qt::WindowMinimized);
    EXPECT_EQ(Placement::stateOfShowCommand(3), Qt::WindowMaximized);
    for (int other : {0, 4, 8, 10, -1})
        EXPECT_EQ(Placement::stateOfShowCommand(other), std::nullopt);
    EXPECT_EQ(Placement::showCommand(Qt::WindowNoState), 1);
    EXPECT_EQ(Placement::showCommand(Qt::WindowMinimized | Qt::WindowMaximized), 2);
    EXPECT_EQ(Placement::showCommand(Qt::WindowMaximized | Qt::WindowActive), 3);
}

TEST(Placement, AFirstPlacementFitsTheScreen)
{
    // The designed frame: 800 x 600 at 382, 311, with a title bar and borders.
    const QRect design(382, 311, 808, 636);
    EXPECT_EQ(Placement::fitWithin(design, QRect(0, 0, 1920, 1080)), design);
    EXPECT_EQ(Placement::fitWithin(design, QRect(0, 0, 1366, 768)), QRect(382, 132, 808, 636));
    EXPECT_EQ(Placement::fitWithin(design, QRect(0, 0, 1280, 720)), QRect(382, 84, 808, 636));
    // A panel along the top, and a second screen to the left of the first.
    EXPECT_EQ(Placement::fitWithin(design, QRect(0, 32, 1280, 688)), QRect(382, 84, 808, 636));
    EXPECT_EQ(Placement::fitWithin(design, QRect(-1024, 0, 1024, 768)), QRect(-808, 132, 808, 636));
    // Only a screen smaller than the window shrinks it.
    EXPECT_EQ(Placement::fitWithin(design, QRect(0, 0, 800, 600)), QRect(0, 0, 800, 600));
    EXPECT_EQ(Placement::fitWithin(QRect(1000, 10, 300, 200), QRect(0, 0, 1280, 720)), QRect(980, 10, 300, 200));
    EXPECT_EQ(Placement::fitWithin(design, QRect()), design);
}

TEST(Placement, RectanglesAWindowCanTake)
{
    EXPECT_EQ(Placement::usableRect({10, 20, 110, 220}), QRect(10, 20, 100, 200));
    EXPECT_EQ(Placement::usableRect({-32768, 0, -100, 10}), QRect(-32768, 0, 32668, 10));
    EXPECT_EQ(Placement::usableRect({-32769, 0, -100, 10}), std::nullopt);
    EXPECT_EQ(Placement::usableRect({0, 0, 32767, 32767}), QRect(0, 0, 32767, 32767));
    EXPECT_EQ(Placement::usableRect({0, 0, 32768, 10}), std::nullopt);
    EXPECT_EQ(Placement::usableRect({INT_MIN, 0, INT_MAX, 10}), std::nullopt);
    EXPECT_EQ(Placement::usableRect({5, 5, 5, 10}), std::nullopt);

    const QList<QRect> screens = {QRect(0, 0, 1000, 800), QRect(1000, 0, 500, 500)};
    EXPECT_EQ(Placement::keepReachable(QRect(990, 700, 300, 300), screens), QRect(990, 700, 300, 300));
    EXPECT_EQ(Placement::keepReachable(QRect(1200, 600, 100, 100), screens), QRect(900, 600, 100, 100));
    EXPECT_EQ(Placement::keepReachable(QRect(-500, -500, 100, 100), screens), QRect(0, 0, 100, 100));
    EXPECT_EQ(Placement::keepReachable(QRect(5000, 10, 2000, 100), screens), QRect(0, 10, 2000, 100));
    EXPECT_EQ(Placement::keepReachable(QRect(5000, 10, 20, 10), {}), QRect(5000, 10, 20, 10));
}

#include "formstorage_test.moc"

TEST_F(FormStorageTest, TwoProgramsKeepWhatTheOtherSavedInBetween)
{
    // Two programs on one file: each its own form of the same class.
    Sample<QWidget> first;
    Sample<QWidget> second;
    TFormStorage* firstStore = store(first.form.get(), sampleProps);
    TFormStorage* secondStore = store(second.form.get(), sampleProps);
    firstStore->RestoreFormSettings();
    secondStore->RestoreFormSettings();
    secondStore->SaveFormSettings();

    first.box->setChecked(true);
    firstStore->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("boxA_Checked")), QStringLiteral("True"));
    // The second did not change the box: the first's choice stays.
    second.panel->setPanelWidth(321);
    secondStore->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("boxA_Checked")), QStringLiteral("True"));
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("panelA_Width")), QStringLiteral("321"));
    firstStore->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("panelA_Width")), QStringLiteral("321"));
    // A change of its own is written: the last one wins.
    first.panel->setPanelWidth(500);
    firstStore->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("panelA_Width")), QStringLiteral("500"));
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("boxA_Checked")), QStringLiteral("True"));

    // A hand-edited key is kept until the program changes the value; a key
    // the file lost is written again.
    setFileText(fileText().replace("panelA_Width=500", "panelA_Width=400").replace("boxA_Checked=True\n", ""));
    firstStore->SaveFormSettings();
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("panelA_Width")), QStringLiteral("400"));
    EXPECT_EQ(stored(QStringLiteral("QWidget"), QStringLiteral("boxA_Checked")), QStringLiteral("True"));
}

TEST_F(FormStorageTest, TheSettingsLockIsHeldByOneAtATime)
{
    auto held = std::make_unique<SettingsFileLock>(path());
    ASSERT_TRUE(held->isHeld());
    // The other gives up after its wait instead of hanging.
    EXPECT_FALSE(SettingsFileLock(path(), 50).isHeld());
    // Another program takes it; when that program ends, the lock is free.
    QProcess holder;
    // -o: the lock stays with flock itself, not with the command it runs.
    holder.start(QStringLiteral("flock"), {QStringLiteral("-o"), QFileInfo(path()).absolutePath(), QStringLiteral("sleep"),
                                           QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    held.reset();
    bool blocked = false;
    for (int tries = 0; tries < 100 && !blocked; ++tries) {
        blocked = !SettingsFileLock(path(), 50).isHeld();
        QThread::msleep(20);
    }
    EXPECT_TRUE(blocked) << "another program's lock was not seen";
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(SettingsFileLock(path(), 2000).isHeld());
}
