#pragma once

#include <QObject>
#include <QString>

class DocumentTable;

// Keeps each document's tab caption, and its editor's accessible name, on
// the document's file name; a document without a file shows the new page
// caption.
class TabCaptions : public QObject {
    Q_OBJECT
public:
    // A child of the table, following it from now on.
    TabCaptions(DocumentTable& table, QString newPageCaption);

private:
    void show(int slot);

    DocumentTable& m_table;
    QString m_newPageCaption;
};
