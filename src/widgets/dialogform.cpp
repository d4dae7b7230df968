#include "widgets/dialogform.h"

#include "platform/tfont.h"

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

void TDialogForm::showEvent(QShowEvent* event)
{
    if (m_mainWindow) {
        const QSize frame = frameGeometry().size().expandedTo(size());
        move(centredOver(m_mainWindow->frameGeometry(), frame));
    }
    QDialog::showEvent(event);
}
