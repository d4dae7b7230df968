#include "settings/formplacement.h"

#include "platform/errors.h"
#include "settings/profilefile.h"
#include "settings/settingslock.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
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

QRect fitWithin(const QRect& frame, const QRect& available)
{
    if (available.isEmpty())
        return frame;
    const QSize size = frame.size().boundedTo(available.size());
    const int left = std::clamp(frame.left(), available.left(), available.right() + 1 - size.width());
    const int top = std::clamp(frame.top(), available.top(), available.bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
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

// A settings file that cannot be read is reported once in a run, by the
// first store that meets it, whether it restores or saves: every form meets
// the same file, and the cause does not change with the form.
void reportReadFailureOnce(const ProfileFile& file)
{
    static QSet<QString> reported;
    const std::optional<QString> cause = file.readFailure();
    if (!cause)
        return;
    const QString message = ProfileFile::readFailureMessage(file.path(), *cause);
    if (reported.contains(message))
        return;
    reported.insert(message);
    throw ScrivoError(message);
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

// The window manager's frame around a window not yet shown is not known: a
// usual title bar and border are counted on X11.
QMargins frameMargins(const QWidget* form)
{
    const QRect frame = form->frameGeometry();
    const QRect client = form->geometry();
    if (frame != client)
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return QMargins(4, 32, 4, 4);
    return {};
}

// A main window with no stored placement takes its designed one where it
// fits the screen; on a smaller screen it moves up and left, then shrinks.
void fitOnScreen(QWidget* form, const QRect& available)
{
    const QMargins margins = frameMargins(form);
    const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect frame(form->pos(), form->size() + extra);
    const QRect fitted = Placement::fitWithin(frame, available);
    if (fitted == frame)
        return;
    if (canPlaceWindows())
        form->move(fitted.topLeft());
    form->resize(fitted.size() - extra);
}

void setSizeState(QWidget* form, Qt::WindowStates state)
{
    const Qt::WindowStates wanted = (form->windowState() & ~sizeStates) | (state & sizeStates);
    if (wanted != form->windowState())
        form->setWindowState(wanted);
}

// The stored show state; false when the main window is to be minimised once
// it is up (nothing more is read then).
bool readShowState(QWidget* form, const ProfileFile& file, const QString& section)
{
    Qt::WindowState state = Qt::WindowNoState;
    if (const auto stored = Placement::stateOfShowCommand(file.readInteger(section, QStringLiteral("ShowCmd"), 0)))
        state = *stored;
    // A dialog opens over the main window and holds the program until it is
    // closed: minimised it could be neither seen nor closed, and one of a
    // fixed size has nothing to maximise. It shows normally.
    if (form->parentWidget() && (state == Qt::WindowMinimized || (state == Qt::WindowMaximized && hasFixedSize(form))))
        state = Qt::WindowNoState;
    // The main window is not minimised on the spot: the request waits until
    // the window is up.
    if (state == Qt::WindowMinimized && !form->parentWidget()) {
        setSizeState(form, Qt::WindowNoState);
        QTimer::singleShot(0, form, [form] { form->setWindowState(form->windowState() | Qt::WindowMinimized); });
        return false;
    }
    setSizeState(form, state);
    return true;
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
    Q_EMIT placementRestored();
    // What the file holds now is what this program last read.
    m_lastValues.clear();
    for (const auto& [key, text] : currentValues())
        if (const std::optional<QString> stored = file.value(section, key))
            m_lastValues.insert(key.toCaseFolded(), *stored);
    reportReadFailureOnce(file);
}

void TFormPlacement::SaveFormSettings()
{
    // Settings never read are never overwritten.
    if (Active && !m_restored)
        return;
    const SettingsFileLock lock(iniFileName());
    ProfileFile file(iniFileName());
    // A file that cannot be read is not written over: the form keeps its
    // values, and the user hears of the read failure, not of a write.
    if (file.readFailure()) {
        m_saveFailed = true;
        reportReadFailureOnce(file);
        return;
    }
    const QString section = iniSection();
    const SettingsValues values = currentValues();
    for (const auto& [key, text] : values) {
        // Unchanged here since last read or written: what another program
        // saved since stays. A value read in another form (a hand-edited
        // "true") is written again in the program's own.
        const auto last = m_lastValues.constFind(key.toCaseFolded());
        if (last != m_lastValues.constEnd() && *last == text && file.value(section, key))
            continue;
        file.writeString(section, key, text);
    }
    try {
        file.save();
    } catch (...) {
        m_saveFailed = true;
        throw;
    }
    m_saveFailed = false;
    rememberValues(values);
    Q_EMIT placementSaved();
    m_saved = true;
}

void TFormPlacement::saveReported()
{
    runGuarded([this] { SaveFormSettings(); });
}

void TFormPlacement::saveCheckpoint()
{
    const bool saved = m_saved;
    saveReported();
    m_saved = saved;
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
        bool placed = false;
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
                placed = true;
            }
        }
        // Again when shown: the frame the window system adds may only be
        // known then.
        if (!placed && !form->parentWidget() && !screen.available.isEmpty())
            fitOnScreen(form, screen.available.first());
    }

    if ((Options & fpState) && !readShowState(form, file, section))
        return;
    form->update();
}

SettingsValues TFormPlacement::currentValues() const
{
    SettingsValues values;
    writePlacement(values);
    writeStoredProperties(values);
    return values;
}

void TFormPlacement::rememberValues(const SettingsValues& values)
{
    m_lastValues.clear();
    for (const auto& [key, text] : values)
        m_lastValues.insert(key.toCaseFolded(), text);
}

void TFormPlacement::writePlacement(SettingsValues& values) const
{
    const QWidget* form = m_form;
    if (!form || !form->isWindow())
        return;
    const ScreenFacts screen = screenFacts();
    const QRect normal = normalPlacement(form);
    const QString unknown = Placement::format({-1, -1, -1, -1});
    const QString normPos =
        Placement::format({normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()});
    values.emplace_back(QStringLiteral("Flags"), QStringLiteral("0"));
    values.emplace_back(QStringLiteral("ShowCmd"), QString::number(Placement::showCommand(form->windowState())));
    values.emplace_back(QStringLiteral("PixelsPerInch"), QString::number(screen.pixelsPerInch));
    values.emplace_back(QStringLiteral("MinMaxPos") + screen.suffix, unknown);
    values.emplace_back(QStringLiteral("MinMaxPos"), unknown);
    values.emplace_back(QStringLiteral("NormPos") + screen.suffix, normPos);
    values.emplace_back(QStringLiteral("NormPos"), normPos);
    values.emplace_back(QStringLiteral("Visible"), m_destroying ? QStringLiteral("1") : QStringLiteral("0"));
}

void TFormPlacement::readStoredProperties(const ProfileFile&, const QString&) {}

void TFormPlacement::writeStoredProperties(SettingsValues&) const {}
