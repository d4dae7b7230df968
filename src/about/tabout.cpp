#include "about/tabout.h"

#include "platform/errors.h"
#include "platform/tfont.h"
#include "widgets/clicklabel.h"
#include "widgets/label3d.h"
#include "widgets/linklabel.h"
#include "widgets/panel.h"
#include "widgets/scrollingtext.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

const QString TAbout::kWebAddress = QStringLiteral("http://scrivo.orvik.example/");
const QString TAbout::kMailAddress = QStringLiteral("scrivo@orvik.example");

namespace {

const QColor kLinkGreen(0, 128, 0);

// The maker's logo, drawn at the size of the original bitmap; the picture
// boxes stretch it.
QPixmap logo()
{
    QImage image(187, 205, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/about/logo.svg"));
    QPainter p(&image);
    renderer.render(&p);
    return QPixmap::fromImage(image);
}

QFont pixelFont(int pixels, bool bold = false, bool underline = false)
{
    QFont f = Fonts::designFontPx(QStringLiteral("MS Sans Serif"), pixels);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

// Narrows a label's letters until its text ends before the right edge of
// its parent: the installed stand-in for a layout font may be wider.
void keepInside(QLabel* label)
{
    const int room = label->parentWidget()->width() - label->x() - 3;
    for (int stretch = 100; stretch > 70 && label->sizeHint().width() > room; stretch -= 5) {
        QFont f = label->font();
        f.setStretch(stretch - 5);
        label->setFont(f);
    }
    label->adjustSize();
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry, const QFont& font)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(font);
    l->setGeometry(geometry);
    // Labels take the size of their text, as laid out in the font found here.
    l->adjustSize();
    return l;
}

}

QStringList TAbout::addressLines()
{
    return {QStringLiteral("Orvik's Softs"), QStringLiteral("12 rue des Lys"), QStringLiteral("35000 Rennes"),
            QStringLiteral("France")};
}

QStringList TAbout::noteLines()
{
    return {
        QStringLiteral("Text in English and/et  texte en fran\u00e7ais"),
        QString(),
        QStringLiteral("Scrivo 2.0 is free: you may use it"),
        QStringLiteral("and give it away, but never sell it."),
        QStringLiteral("It comes with no warranty of any kind."),
        QStringLiteral("Your suggestions are welcome!"),
        QString(),
        QStringLiteral("Scrivo 2.0 est gratuit : utilisez-le"),
        QStringLiteral("et offrez-le, mais ne le vendez jamais."),
        QStringLiteral("Il est fourni sans aucune garantie."),
        QStringLiteral("Vos suggestions sont les bienvenues !"),
        QString(),
    };
}

TAbout::TAbout(QWidget* mainWindow) : TDialogForm(mainWindow, QSize(342, 262), QStringLiteral("Orvik's Softs"))
{
    setObjectName(QStringLiteral("About"));
    buildLayout();
}

TLinkLabel* TAbout::linkLabel(QWidget* parent, const char* name, const QString& caption, const QString& target,
                              const QRect& geometry)
{
    auto* link = new TLinkLabel(caption, parent);
    link->setObjectName(QLatin1String(name));
    link->setTarget(target);
    link->setFont(pixelFont(11, true, true));
    link->setColors(kLinkGreen, kLinkGreen);
    link->setGeometry(geometry);
    link->adjustSize();
    return link;
}

void TAbout::buildLayout()
{
    panelAbout = new TPanel(this);
    panelAbout->setObjectName(QStringLiteral("panelAbout"));
    panelAbout->setBevels(TPanel::Bevel::Raised, TPanel::Bevel::Lowered);
    panelAbout->setGeometry(0, 0, 342, 262);

    const QPixmap picture = logo();
    for (auto [name, x] : {std::pair{"imgAboutLogo1", 8}, std::pair{"imgAboutLogo2", 278}}) {
        auto* image = new QLabel(panelAbout);
        image->setObjectName(QLatin1String(name));
        image->setPixmap(picture);
        image->setScaledContents(true);
        image->setGeometry(x, 8, 57, 65);
        (x == 8 ? imgAboutLogo1 : imgAboutLogo2) = image;
    }

    lbAboutTitre = new TLabel3D(QStringLiteral("Scrivo 2.0"), panelAbout);
    lbAboutTitre->setObjectName(QStringLiteral("lbAboutTitre"));
    lbAboutTitre->setFont(Fonts::designFontPx(QStringLiteral("Arial"), 40));
    lbAboutTitre->setTextStyle(TLabel3D::Style::Sunken);
    lbAboutTitre->setDepth(3, 3);
    lbAboutTitre->setLightColor(QColor(255, 0, 0));
    lbAboutTitre->setShape(TLabel3D::Shape::Arch);
    lbAboutTitre->setAlignment(Qt::AlignCenter);
    lbAboutTitre->setFaceColor(QColor(21, 52, 92));
    // Sized to its text, but never over the second logo: wider letters are
    // narrowed by the shape.
    lbAboutTitre->setGeometry(88, 4, 162, 84);

    lbAboutInfo1 = new TScrollingText(panelAbout);
    lbAboutInfo1->setObjectName(QStringLiteral("lbAboutInfo1"));
    lbAboutInfo1->setFont(pixelFont(13));
    lbAboutInfo1->setLines(noteLines());
    lbAboutInfo1->setBackground(palette().color(QPalette::Button));
    lbAboutInfo1->setGeometry(8, 80, 321, 49);

    urlAboutWeb = linkLabel(panelAbout, "urlAboutWeb", kWebAddress, kWebAddress, QRect(104, 136, 144, 13));

    lbAboutVersion = label(panelAbout, "lbAboutVersion", QStringLiteral("Version 2.0"), QRect(40, 156, 68, 16),
                           pixelFont(13));
    QPalette red = lbAboutVersion->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lbAboutVersion->setPalette(red);
    lbAboutVersion->setCursor(Qt::PointingHandCursor);

    lbAboutInfo2 = new TPanel(panelAbout);
    lbAboutInfo2->setObjectName(QStringLiteral("lbAboutInfo2"));
    lbAboutInfo2->setBevels(TPanel::Bevel::None, TPanel::Bevel::Raised);
    lbAboutInfo2->setGeometry(160, 156, 169, 40);
    lbAboutSuggestions = label(lbAboutInfo2, "lbAboutSuggestions", QStringLiteral("Suggestions use ONLY this link"),
                               QRect(8, 2, 0, 0), pixelFont(12));
    urlAboutSuggestions =
        linkLabel(lbAboutInfo2, "urlAboutSuggestions", kMailAddress,
                  QStringLiteral("mailto:") + kMailAddress + QStringLiteral("?subject=Scrivo 2 - Suggestions"),
                  QRect(17, 19, 129, 13));
    keepInside(lbAboutSuggestions);
    keepInside(urlAboutSuggestions);

    panelAboutBugReport = new TPanel(panelAbout);
    panelAboutBugReport->setObjectName(QStringLiteral("panelAboutBugReport"));
    panelAboutBugReport->setBevels(TPanel::Bevel::None, TPanel::Bevel::Raised);
    panelAboutBugReport->setGeometry(160, 198, 169, 40);
    lbAboutBugReport = label(panelAboutBugReport, "lbAboutBugReport", QStringLiteral("Bug report use ONLY this link"),
                             QRect(18, 2, 0, 0), pixelFont(12));
    urlAboutBugReport =
        linkLabel(panelAboutBugReport, "urlAboutBugReport", kMailAddress,
                  QStringLiteral("mailto:") + kMailAddress + QStringLiteral("?subject=Scrivo 2 - Bug Report"),
                  QRect(17, 19, 129, 13));
    keepInside(lbAboutBugReport);
    keepInside(urlAboutBugReport);

    lbAboutAddress = label(panelAbout, "lbAboutAddress",
                           (QStringList{QStringLiteral("My address :")} + addressLines()).join(QLatin1Char('\n')),
                           QRect(8, 176, 143, 65), pixelFont(12));
    lbAboutAddress->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbAboutExit = new TClickLabel(QStringLiteral("Click here to exit"), panelAbout);
    lbAboutExit->setObjectName(QStringLiteral("lbAboutExit"));
    lbAboutExit->setGeometry(136, 244, 80, 13);
    lbAboutExit->adjustSize();
    connect(lbAboutExit, &TClickLabel::Click, this, guarded([this] { lbAboutExitClick(); }));
}

void TAbout::lbAboutExitClick() { done(mrOk); }

void TAbout::reject() { lbAboutExitClick(); }
