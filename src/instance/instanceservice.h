#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// The one program of a user on a display answers on the session bus, so
// that a second start hands its files over instead of opening a window of
// its own. The bus name is the program's AppStream id and the display; the
// interface offers exactly two things, opening files and raising the
// window: nothing that saves, closes, reads or changes anything else.
namespace Instance {

inline constexpr char appId[] = "io.github.orvik.scrivo";
inline constexpr char objectPath[] = "/io/github/orvik/scrivo";
inline constexpr char interfaceName[] = "io.github.orvik.scrivo.Instance";
// More files than the program has document slots is not a request it can
// meet.
inline constexpr int maxFilesPerCall = 256;
inline constexpr int maxPathBytes = 4096;

// The bus name of the program on a display: the AppStream id, then an
// element that names the platform and the display (any character a bus
// name cannot hold is written as "_" and its two hex digits).
QString serviceName(const QString& platformName, const QByteArray& display);
// The display this program shows on, as its platform names it
// (DISPLAY without its screen number on X11, WAYLAND_DISPLAY on Wayland).
QByteArray currentDisplay(const QString& platformName);

// Why a list of files is not a request to open them, or nothing when it is:
// each an absolute name without NUL bytes, none longer than maxPathBytes,
// and between 1 and maxFilesPerCall of them.
std::optional<QString> refusal(const QList<QByteArray>& files);

}

// The object the running program puts on the bus. Requests wait until the
// program is ready (its window built) and are refused once it is ending.
class InstanceService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.orvik.scrivo.Instance")
public:
    explicit InstanceService(QObject* parent = nullptr);

    // The program can act on requests: the ones that waited are delivered.
    void setReady();
    // The program is ending: later requests are refused.
    void stop();

public Q_SLOTS:
    // Opens each file as Open would (an absolute name, as the system's
    // bytes), in order, then raises the window.
    Q_SCRIPTABLE void OpenFiles(const QList<QByteArray>& files);
    // Raises the window.
    Q_SCRIPTABLE void Raise();

Q_SIGNALS:
    void openRequested(const QList<QByteArray>& files);
    void raiseRequested();

private:
    bool refuseWhenEnding();

    enum class State { Waiting, Ready, Stopped };
    State m_state = State::Waiting;
    // Requests that came before the program was ready; empty for Raise.
    QList<QList<QByteArray>> m_waiting;
};
