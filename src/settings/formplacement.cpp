#include "settings/formplacement.h"

#include "platform/errors.h"
#include "settings/profilefile.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace Placement {

int showCommand(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return 2;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 3;
    return 1;
}

std::optional<Qt::WindowState> stateOfShowCommand(int command)
{
    switch (command) {
    case 1: case 5: case 9: return Qt::WindowNoState;
    case 2: case 6: case 7: return Qt::WindowMinimized;
    case 3: return Qt::WindowMaximized;
    default: return std::nullopt;
    }
}

std::array<int, 4> words(const QString& text, const std::array<int, 4>& defaults)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    std::array<int, 4> values = defaults;
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        bool ok = false;
        const int value = parts[i].toInt(&ok, 10);
        if (ok)
            values[size_t(i)] = value;
    }
    return values;
}

QString format(const std::array<int, 4>& values)
{
    return QStringLiteral("%1,%2,%3,%4").arg(values[0]).arg(values[1]).arg(values[2]).arg(values[3]);
}

std::optional<QRect> usableRect(const std::array<int, 4>& ltrb)
{
    // X11 keeps window coordinates in 16 bits; wider arithmetic keeps a
    // hand-edited extreme value from overflowing.
    constexpr qint64 low = -32768;
    constexpr qint64 high = 32767;
    const qint64 left = ltrb[0];
    const qint64 top = ltrb[1];
    const qint64 width = qint64(ltrb[2]) - left;
    const qint64 height = qint64(ltrb[3]) - top;
    if (left < low || left > high || top < low || top > high)
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > high || height > high)
        return std::nullopt;
    return QRect(int(left), int(top), int(width), int(height));
}

QRect keepReachable(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame;
    for (const QRect& screen : screens)
        if (screen.intersects(frame))
            return frame;
    const QRect& screen = screens.first();
    QRect moved = frame;
    moved.moveLeft(std::clamp(frame.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - frame.width())));
    moved.moveTop(std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - frame.height())));
    return moved;
}

}

namespace {

constexpr Qt::WindowStates sizeStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

struct ScreenFacts {
    int pixelsPerInch = 96;
    QString suffix = QStringLiteral("(0x0)");
    QList<QRect> available;
};

ScreenFacts screenFacts()
{
    ScreenFacts facts;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int dpi = qRound(screen->logicalDotsPerInch());
        if (dpi > 0)
            facts.pixelsPerInch = dpi;
        const QSize size = screen->geometry().size();
        facts.suffix = QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
        facts.available << screen->availableGeometry();
    }
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            facts.available << screen->availableGeometry();
    return facts;
}

// On Wayland a program cannot place its windows: only size and state come back.
bool canPlaceWindows() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// A form with a fixed size (the dialogs) keeps it; only its position is kept.
bool hasFixedSize(const QWidget* form) { return form->minimumSize() == form->maximumSize(); }

// The normal (not minimised or maximised) placement: the frame's top-left
// corner, as move() takes it, and the client size, as resize() takes it.
// The size leaves the window manager's frame out: its extent is only known
// once the window is shown, and counting it would grow the window at every
// run.
QRect normalPlacement(const QWidget* form)
{
    const QRect client = (form->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? form->normalGeometry()
                                                                                                : form->geometry();
    const QPoint frameOffset = form->geometry().topLeft() - form->frameGeometry().topLeft();
    return QRect(client.topLeft() - frameOffset, client.size());
}

void setSizeState(QWidget* form, Qt::WindowStates state)
{
    const Qt::WindowStates wanted = (form->windowState() & ~sizeStates) | (state & sizeStates);
    if (wanted != form->windowState())
        form->setWindowState(wanted);
}

}

TFormPlacement::TFormPlacement(QWidget* form, const QString& objectName) : QObject(form), m_form(form)
{
    setObjectName(objectName);
    form->installEventFilter(this);
    // A dialog closes through done(): it is hidden and then finished.
    if (auto* dialog = qobject_cast<QDialog*>(form))
        connect(dialog, &QDialog::finished, this, [this] {
            if (Active)
                saveReported();
        });
}

TFormPlacement::~TFormPlacement() = default;

QString TFormPlacement::iniFileName() const
{
    return IniFileName.isEmpty() ? ProfileFile::defaultPath() : IniFileName;
}

QString TFormPlacement::iniSection() const
{
    if (!IniSection.isEmpty() || !m_form)
        return IniSection;
    return QString::fromLatin1(m_form->metaObject()->className());
}

void TFormPlacement::RestoreFormSettings()
{
    m_saved = false;
    const ProfileFile file(iniFileName());
    const QString section = iniSection();
    readPlacement(file, section);
    m_restored = true;
    readStoredProperties(file, section);
    if (OnRestorePlacement)
        OnRestorePlacement();
}

void TFormPlacement::SaveFormSettings()
{
    // Settings never read are never overwritten.
    if (Active && !m_restored)
        return;
    ProfileFile file(iniFileName());
    const QString section = iniSection();
    writePlacement(file, section);
    writeStoredProperties(file, section);
    try {
        file.save();
    } catch (...) {
        m_saveFailed = true;
        throw;
    }
    m_saveFailed = false;
    if (OnSavePlacement)
        OnSavePlacement();
    m_saved = true;
}

void TFormPlacement::saveReported()
{
    runGuarded([this] { SaveFormSettings(); });
}

void TFormPlacement::FormDestroy()
{
    if (!Active || m_saved)
        return;
    m_destroying = true;
    saveReported();
    m_destroying = false;
}

void TFormPlacement::formDestroying(QWidget* form)
{
    if (!form)
        return;
    for (TFormPlacement* store : form->findChildren<TFormPlacement*>(Qt::FindDirectChildrenOnly))
        store->FormDestroy();
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_form || !Active)
        return QObject::eventFilter(watched, event);
    // The show event reaches this filter before the form's own handling, and
    // before the window is mapped: the placement is in place when it appears.
    // A spontaneous show is the window system restoring a minimised window.
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        // After a failed save the form holds newer values than the file;
        // reading the file would undo the user's choices.
        if (!m_saveFailed)
            runGuarded([this] { RestoreFormSettings(); });
        return false;
    }
    if (event->type() == QEvent::Close && !qobject_cast<QDialog*>(m_form)) {
        // The form decides first; a refused close saves nothing.
        static_cast<QObject*>(m_form)->event(event);
        if (event->isAccepted() && m_form)
            saveReported();
        return true;
    }
    return false;
}

void TFormPlacement::readPlacement(const ProfileFile& file, const QString& section)
{
    QWidget* form = m_form;
    if (!form || !form->isWindow())
        return;
    const ScreenFacts screen = screenFacts();

    if (Options & fpPosition) {
        const auto suffixedOrPlain = [&](const QString& key) {
            auto text = file.value(section, key + screen.suffix);
            return text ? text : file.value(section, key);
        };
        const std::optional<QString> minMaxPos = suffixedOrPlain(QStringLiteral("MinMaxPos"));
        const std::optional<QString> normPos = suffixedOrPlain(QStringLiteral("NormPos"));
        const int pixelsPerInch = file.readInteger(section, QStringLiteral("PixelsPerInch"), screen.pixelsPerInch);
        // A placement written at another pixel density would be the wrong size.
        if ((minMaxPos || normPos) && pixelsPerInch == screen.pixelsPerInch) {
            const QRect current = normalPlacement(form);
            std::array<int, 4> ltrb = Placement::words(
                normPos.value_or(QString()),
                {current.left(), current.top(), current.left() + current.width(), current.top() + current.height()});
            const bool fixed = hasFixedSize(form);
            if (fixed) {
                ltrb[2] = int(std::clamp<qint64>(qint64(ltrb[0]) + form->width(), INT_MIN, INT_MAX));
                ltrb[3] = int(std::clamp<qint64>(qint64(ltrb[1]) + form->height(), INT_MIN, INT_MAX));
            }
            if (const std::optional<QRect> rect = Placement::usableRect(ltrb)) {
                // The rectangle is the normal one: set it while the window is normal.
                setSizeState(form, Qt::WindowNoState);
                if (canPlaceWindows())
                    form->move(Placement::keepReachable(*rect, screen.available).topLeft());
                if (!fixed)
                    form->resize(rect->size());
            }
        }
    }

    if (Options & fpState) {
        Qt::WindowState state = Qt::WindowNoState;
        if (const auto stored = Placement::stateOfShowCommand(file.readInteger(section, QStringLiteral("ShowCmd"), 0)))
            state = *stored;
        // The main window is not minimised on the spot: the request waits
        // until the window is up.
        if (state == Qt::WindowMinimized && !form->parentWidget()) {
            setSizeState(form, Qt::WindowNoState);
            QTimer::singleShot(0, form, [form] { form->setWindowState(form->windowState() | Qt::WindowMinimized); });
            return;
        }
        setSizeState(form, state);
    }
    form->update();
}

void TFormPlacement::writePlacement(ProfileFile& file, const QString& section) const
{
    const QWidget* form = m_form;
    if (!form || !form->isWindow())
        return;
    const ScreenFacts screen = screenFacts();
    const QRect normal = normalPlacement(form);
    const QString unknown = Placement::format({-1, -1, -1, -1});
    const QString normPos =
        Placement::format({normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()});
    file.writeString(section, QStringLiteral("Flags"), QStringLiteral("0"));
    file.writeString(section, QStringLiteral("ShowCmd"), QString::number(Placement::showCommand(form->windowState())));
    file.writeString(section, QStringLiteral("PixelsPerInch"), QString::number(screen.pixelsPerInch));
    file.writeString(section, QStringLiteral("MinMaxPos") + screen.suffix, unknown);
    file.writeString(section, QStringLiteral("MinMaxPos"), unknown);
    file.writeString(section, QStringLiteral("NormPos") + screen.suffix, normPos);
    file.writeString(section, QStringLiteral("NormPos"), normPos);
    file.writeString(section, QStringLiteral("Visible"), m_destroying ? QStringLiteral("1") : QStringLiteral("0"));
}

void TFormPlacement::readStoredProperties(const ProfileFile&, const QString&) {}

void TFormPlacement::writeStoredProperties(ProfileFile&, const QString&) {}
