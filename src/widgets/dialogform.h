#pragma once

#include <QDialog>
#include <QPointer>

class TDropShadow;
class TExplodingFrame;

// A fixed-size modal dialog of the program: no title-bar buttons, the title
// "Scrivo 2.0 - " plus its own part, closed with a modal result (1 OK,
// 2 Cancel), and centred over the main window each time it is shown. It
// opens with the exploding-frame animation unless switched off, and can
// cast a drop shadow.
class TDialogForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    TDialogForm(QWidget* mainWindow, QSize clientSize, const QString& titlePart);

    // The position FormShow gives: left = main left + (main width - width) / 2,
    // top likewise, each division truncating toward zero.
    static QPoint centredOver(const QRect& mainFrame, QSize dialogFrame);

    QWidget* mainWindow() const { return m_mainWindow; }

    void setOpeningAnimation(bool on);
    bool openingAnimation() const { return m_animate; }
    TExplodingFrame* openingFrame() const;

    void setDropShadow(bool on);
    bool dropShadow() const { return m_shadow != nullptr; }
    TDropShadow* shadow() const { return m_shadow; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
    bool m_animate = true;
    QPointer<TExplodingFrame> m_frame;
    TDropShadow* m_shadow = nullptr;
};
