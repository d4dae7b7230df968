#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <QHash>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class ProfileFile;
class QWidget;

// The text forms of a window placement as the settings file keeps it.
namespace Placement {

// The show commands written: 1 normal, 2 minimised, 3 maximised.
int showCommand(Qt::WindowStates state);
// The state a stored show command stands for (1, 5, 9 normal; 2, 6, 7
// minimised; 3 maximised); nothing for any other value.
std::optional<Qt::WindowState> stateOfShowCommand(int command);

// Four integers from text, parted by blanks and commas; a missing or bad
// word takes its default.
std::array<int, 4> words(const QString& text, const std::array<int, 4>& defaults);
// "%d,%d,%d,%d".
QString format(const std::array<int, 4>& values);

// The rectangle given by left, top, right and bottom, when it is one a
// window can take: right beyond left, bottom beyond top, and within the
// coordinate range of the window system.
std::optional<QRect> usableRect(const std::array<int, 4>& ltrb);

// frame, moved as little as needed to lie within the first of screens when
// it lies wholly outside all of them (a window nobody could reach).
QRect keepReachable(const QRect& frame, const QList<QRect>& screens);

// frame where it lies wholly within available; otherwise moved up and left,
// and only then shrunk, until it does.
QRect fitWithin(const QRect& frame, const QRect& available);

}

// The keys and texts a store writes into its section, in order.
using SettingsValues = std::vector<std::pair<QString, QString>>;

// The settings store of a form's window placement: position, size and
// normal / minimised / maximised state, in the form's own section of the
// settings file (the form's class name).
//
// Restoring re-reads the file; saving writes the form's section in one
// atomic write. Several programs may share the file: a save re-reads it
// under a lock and writes only the values this program changed since it
// last read or wrote them, and keys the file lacks; what another program
// saved in between stays. The store hooks the form: every time the form is shown it
// restores (before the form's own show handling, so a dialog that centres
// itself still does); when the form is closed it saves (a dialog when it
// is finished, the main window when its close is accepted); and
// formDestroying(), run just before a form is deleted, saves a form that
// was restored and not saved since. A store that never restored never
// writes. Errors of the hooks are reported and the program goes on.
class TFormPlacement : public QObject {
    Q_OBJECT
public:
    enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)

    // A store for form, made its child under objectName.
    TFormPlacement(QWidget* form, const QString& objectName);
    ~TFormPlacement() override;

    // Restores and saves through the hooks.
    bool Active = true;
    // Empty: ProfileFile::defaultPath().
    QString IniFileName;
    // Empty: the form's class name.
    QString IniSection;
    // What of the placement is restored (fpActiveControl is not kept).
    TPlacementOptions Options = TPlacementOptions(fpState | fpPosition);

    QWidget* form() const { return m_form; }
    QString iniFileName() const;
    QString iniSection() const;

    void RestoreFormSettings();
    // Throws ScrivoError when the settings file cannot be written.
    void SaveFormSettings();

    bool Restored() const { return m_restored; }
    bool Saved() const { return m_saved; }
    bool Destroying() const { return m_destroying; }

    // Every key and text a save would write now.
    SettingsValues currentValues() const;
    // Writes the settings now, while the form lives on, without counting as
    // the save its destruction would make: they are written again on the way
    // out. Errors are reported.
    void saveCheckpoint();

    // The form is about to be destroyed: saves it when it was restored and
    // not saved since.
    void FormDestroy();
    // Runs FormDestroy of every store of form. Call just before deleting a form.
    static void formDestroying(QWidget* form);

Q_SIGNALS:
    // After a restore and after a save.
    void placementRestored();
    void placementSaved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void readStoredProperties(const ProfileFile& file, const QString& section);
    virtual void writeStoredProperties(SettingsValues& values) const;

private:
    void readPlacement(const ProfileFile& file, const QString& section);
    void writePlacement(SettingsValues& values) const;
    void rememberValues(const SettingsValues& values);
    void saveReported();

    QPointer<QWidget> m_form;
    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
    // The last save failed: the form holds newer values than the file.
    bool m_saveFailed = false;
    // Case-folded key -> its text in the file as last restored or saved.
    QHash<QString, QString> m_lastValues;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)
