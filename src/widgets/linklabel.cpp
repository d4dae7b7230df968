#include "widgets/linklabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace {
TLinkLabel::UrlOpener& opener()
{
    static TLinkLabel::UrlOpener instance = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return instance;
}
}

TLinkLabel::TLinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

void TLinkLabel::setColors(const QColor& link, const QColor& visited)
{
    m_link = link;
    m_visitedColor = visited;
    applyColor();
}

void TLinkLabel::applyColor()
{
    const QColor color = m_visited ? m_visitedColor : m_link;
    if (!color.isValid())
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

QString TLinkLabel::linkText() const
{
    const QString chosen = m_target.trimmed().isEmpty() ? text() : m_target;
    return chosen.trimmed();
}

QUrl TLinkLabel::urlFor(const QString& linkText)
{
    QUrl url(linkText, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(linkText);
    return url;
}

bool TLinkLabel::openLink()
{
    const QString chosen = linkText();
    if (chosen.isEmpty())
        return false;
    const UrlOpener& open = opener();
    if (!open || !open(urlFor(chosen)))
        return false;
    m_visited = true;
    applyColor();
    return true;
}

TLinkLabel::UrlOpener TLinkLabel::setUrlOpener(UrlOpener replacement)
{
    UrlOpener previous = std::move(opener());
    opener() = replacement ? std::move(replacement)
                           : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
    return previous;
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    Q_EMIT Click();
    openLink();
}
