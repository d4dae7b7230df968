// No caption of the main window or a dialog is cut: every label, check box,
// radio button and button shows its whole text. scripts/run-tests runs this
// once more at twice the scale.

#include "support/programfixture.h"

#include "about/tabout.h"
#include "options/toption.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "widgets/label3d.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace {

QStringList clippedCaptions(QWidget* root)
{
    QStringList clipped;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->wordWrap() || label->text().isEmpty()
            || label->textFormat() == Qt::RichText || label->text().contains(u'\n') || !label->pixmap().isNull())
            continue;
        // An arched title fits its letters to its box; the file-information
        // bar shortens a long path on purpose.
        if (auto* label3d = qobject_cast<TLabel3D*>(label))
            if (label3d->look().shape == TLabel3D::Shape::Arch || label == Fp->lbFpInfoFichier)
                continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin();
        if (needed > label->contentsRect().width() + 1)
            clipped << QStringLiteral("%1 \"%2\" needs %3, has %4")
                           .arg(label->objectName(), label->text())
                           .arg(needed)
                           .arg(label->contentsRect().width());
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(root) || button->text().isEmpty())
            continue;
        if (!qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button)
            && QString::fromLatin1(button->metaObject()->className()) != QLatin1String("TFlatButton"))
            continue;
        if (button->sizeHint().width() > button->width() + 1)
            clipped << QStringLiteral("%1 \"%2\" needs %3, has %4")
                           .arg(button->objectName(), button->text())
                           .arg(button->sizeHint().width())
                           .arg(button->width());
    }
    return clipped;
}

}

TEST_F(ProgramTest, NoCaptionIsCut)
{
    EXPECT_EQ(clippedCaptions(Fp), QStringList());
    for (QWidget* dialog : std::initializer_list<QWidget*>{About, Find, FindReplace, Option}) {
        dialog->show();
        EXPECT_EQ(clippedCaptions(dialog), QStringList()) << dialog->objectName().toStdString();
        dialog->hide();
    }
}
