#pragma once

#include "documents/documenttable.h"

#include <QString>

// Moving text between files and documents: naming a document after its file,
// reading a file into a document, writing a document back.
class FileCommands {
public:
    FileCommands(DocumentTable& table, DocumentCommandStates& commands);

    // Path (expanded, "." and ".." removed), Name, Extension, tab caption,
    // and the information bar when slot is the current one.
    void SetDocumentFileName(int slot, const QString& fileName);

    // Reads a whole file into the slot's editor as plain text. Raises
    // "Cannot open file %s" when it cannot be read.
    void readFileIntoDocument(int slot, const QString& fileName);

    // Writes the slot's text to its Path. Raises "Cannot create file %s".
    void writeDocument(int slot);

    // Saves one document to its file.
    SaveResult SaveDocument(int slot);

    // Name and extension as a file name gives them (after the last "/";
    // extension from its last "." with the dot), before any cut.
    static QString fileNamePart(const QString& fileName);
    static QString extensionPart(const QString& fileName);
    static QString expandedPath(const QString& fileName);

private:
    DocumentTable& m_table;
    DocumentCommandStates& m_commands;
};
