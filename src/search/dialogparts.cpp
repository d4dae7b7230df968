#include "search/dialogparts.h"

#include "platform/tfont.h"
#include "widgets/checkbox.h"
#include "widgets/flatbutton.h"
#include "widgets/label3d.h"
#include "widgets/panel.h"

#include <QLineEdit>

namespace SearchDialogParts {

namespace {

template <typename W>
W* place(W* widget, const char* name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QFont generalFontPx(int pixels, bool bold = false)
{
    QFont font = Fonts::designFontPx(QStringLiteral("MS Sans Serif"), pixels);
    font.setBold(bold);
    return font;
}

}

TPanel* panel(QWidget* form, const char* name, QSize clientSize)
{
    auto* p = place(new TPanel(form), name, QRect(QPoint(0, 0), clientSize));
    p->setBevels(TPanel::Bevel::Raised, TPanel::Bevel::Lowered);
    return p;
}

TLabel3D* title(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* l = place(new TLabel3D(parent), name, geometry);
    l->setFont(generalFontPx(19, true));
    l->setTextStyle(TLabel3D::Style::Sunken);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTitle(l, caption);
    return l;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* l = place(new QLabel(parent), name, geometry);
    l->setFont(generalFontPx(15));
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setCaption(l, caption);
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, QRect geometry)
{
    auto* e = place(new QLineEdit(parent), name, geometry);
    e->setFont(generalFontPx(15));
    return e;
}

TCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* box = place(new TCheckBox(caption, parent), name, geometry);
    box->setFont(generalFontPx(13));
    return box;
}

TFlatButton* button(QWidget* parent, const char* name, const QString& caption, Glyph glyph, QRect geometry)
{
    auto* b = place(new TFlatButton(caption, parent), name, geometry);
    if (glyph == Glyph::Tick)
        b->setGlyph(QIcon(QStringLiteral(":/icons/tick.svg")), QSize(23, 23));
    else
        b->setGlyph(QIcon(QStringLiteral(":/icons/cross.svg")), QSize(21, 22));
    return b;
}

namespace {
// The 3-D text is drawn one pixel to each side of the plain text.
int captionWidth(const QLabel* label, const QFontMetrics& metrics, const QString& caption)
{
    const int depth = qobject_cast<const TLabel3D*>(label) ? 2 : 0;
    return metrics.horizontalAdvance(caption) + depth + 1;
}
}

void setCaption(QLabel* label, const QString& caption, int rightLimit)
{
    label->setText(caption);
    QFont font = label->font();
    int width = captionWidth(label, QFontMetrics(font), caption);
    if (rightLimit > label->x()) {
        constexpr int SmallestPixels = 9;
        while (label->x() + width > rightLimit && font.pixelSize() > SmallestPixels) {
            font.setPixelSize(font.pixelSize() - 1);
            width = captionWidth(label, QFontMetrics(font), caption);
        }
        label->setFont(font);
    }
    label->resize(width, label->height());
}

void setTitle(TLabel3D* title, const QString& caption)
{
    setCaption(title, caption);
    if (QWidget* parent = title->parentWidget())
        title->move((parent->width() - title->width()) / 2, title->y());
}

}
