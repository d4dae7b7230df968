#include "editor/textview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace {

// The primary selection of X11 asks for the text only when another program
// pastes it: selecting a gigabyte copies nothing until then.
class SelectionMimeData : public QMimeData {
public:
    explicit SelectionMimeData(const TextView* view) : m_view(view) {}
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mime) const override { return mime == u"text/plain"; }

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override
    {
        if (!m_view || mime != u"text/plain")
            return QMimeData::retrieveData(mime, type);
        return m_view->selectedText();
    }

private:
    QPointer<const TextView> m_view;
};

} // namespace

void TextView::offerPrimarySelection()
{
    if (hasSelection() && QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setMimeData(new SelectionMimeData(this), QClipboard::Selection);
}

QMimeData* TextView::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(selectedText());
    return data;
}

void TextView::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        replaceSelection(source->text());
}

void TextView::copy()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

void TextView::cut()
{
    if (!hasSelection() || m_readOnly)
        return;
    copy();
    deleteSelection();
}

void TextView::paste()
{
    if (!m_readOnly)
        insertFromMimeData(QGuiApplication::clipboard()->mimeData());
}
