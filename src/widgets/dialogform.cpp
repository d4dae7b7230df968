#include "widgets/dialogform.h"

#include "platform/tfont.h"
#include "widgets/dropshadow.h"
#include "widgets/explodingframe.h"

#include <QCursor>
#include <QShowEvent>

TDialogForm::TDialogForm(QWidget* mainWindow, QSize clientSize, const QString& titlePart)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("Scrivo 2.0 - ") + titlePart);
    setFixedSize(clientSize);
    setFont(Fonts::designFont(QStringLiteral("MS Sans Serif"), 8));
    setModal(true);
}

QPoint TDialogForm::centredOver(const QRect& mainFrame, QSize dialogFrame)
{
    // C++ integer division truncates toward zero, as the layout rule asks.
    return {mainFrame.left() + (mainFrame.width() - dialogFrame.width()) / 2,
            mainFrame.top() + (mainFrame.height() - dialogFrame.height()) / 2};
}

TExplodingFrame* TDialogForm::openingFrame() const { return m_frame.data(); }

void TDialogForm::setOpeningAnimation(bool on)
{
    m_animate = on;
    if (!on && m_frame)
        m_frame->stopPlaying();
}

void TDialogForm::setDropShadow(bool on)
{
    if (on && !m_shadow) {
        m_shadow = new TDropShadow(this);
    } else if (!on && m_shadow) {
        delete m_shadow;
        m_shadow = nullptr;
    }
}

void TDialogForm::showEvent(QShowEvent* event)
{
    // Only the program's own show, not the window system's re-mapping.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    QRect frame = frameGeometry();
    if (m_mainWindow) {
        const QSize size = frame.size().expandedTo(this->size());
        move(centredOver(m_mainWindow->frameGeometry(), size));
        frame = QRect(frameGeometry().topLeft(), size);
    }
    QDialog::showEvent(event);
    if (m_animate) {
        // Drawn in a window of its own while the dialog already takes input;
        // a fresh window each time, so a quick reopening never meets the
        // last one still being unmapped.
        if (m_frame)
            m_frame->deleteLater();
        m_frame = new TExplodingFrame(this);
        m_frame->play(QCursor::pos(), frame);
    }
}

void TDialogForm::hideEvent(QHideEvent* event)
{
    if (m_frame)
        m_frame->stopPlaying();
    QDialog::hideEvent(event);
}
