#include "platform/lockkeys.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {
struct IndicatorAtoms {
    Atom caps = None;
    Atom num = None;
    Atom scroll = None;
};

std::optional<bool> namedIndicator(Display* display, Atom atom)
{
    if (atom == None)
        return std::nullopt;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return std::nullopt;
    return on != False;
}
}

LockKeyStates readLockKeyStates()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return {};
    Display* display = x11->display();
    static const IndicatorAtoms atoms{XInternAtom(display, "Caps Lock", False),
                                      XInternAtom(display, "Num Lock", False),
                                      XInternAtom(display, "Scroll Lock", False)};
    return {namedIndicator(display, atoms.caps), namedIndicator(display, atoms.num),
            namedIndicator(display, atoms.scroll)};
}
