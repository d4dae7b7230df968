#include "options/explorerlook.h"

#include "platform/tfont.h"

#include <QWidget>

namespace ExplorerLook {

namespace {

bool hasProperty(const QObject* object, const char* name) { return object->metaObject()->indexOfProperty(name) >= 0; }

TFont* fontOf(const QObject* view)
{
    if (!hasProperty(view, "Font"))
        return nullptr;
    return qobject_cast<TFont*>(qvariant_cast<QObject*>(view->property("Font")));
}

void setPaletteColors(QObject* view, std::initializer_list<QPalette::ColorRole> roles, TColor color)
{
    auto* widget = qobject_cast<QWidget*>(view);
    if (!widget)
        return;
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : roles)
        palette.setColor(role, Colors::toQColor(color));
    widget->setPalette(palette);
}

}

void setBackgroundColor(QObject* view, TColor color)
{
    if (!view)
        return;
    if (hasProperty(view, "Color")) {
        view->setProperty("Color", int(color));
        return;
    }
    setPaletteColors(view, {QPalette::Base, QPalette::Window}, color);
    if (auto* widget = qobject_cast<QWidget*>(view))
        widget->setAutoFillBackground(true);
}

void setFontColor(QObject* view, TColor color)
{
    if (!view)
        return;
    if (TFont* font = fontOf(view)) {
        font->setColor(color);
        return;
    }
    setPaletteColors(view, {QPalette::Text, QPalette::WindowText}, color);
}

void setFontName(QObject* view, const QString& name)
{
    if (!view || name.isEmpty())
        return;
    if (TFont* font = fontOf(view)) {
        font->setName(name);
        return;
    }
    if (auto* widget = qobject_cast<QWidget*>(view)) {
        QFont font = widget->font();
        font.setFamily(name);
        widget->setFont(font);
    }
}

}
