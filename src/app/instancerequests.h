#pragma once

#include <QByteArray>
#include <QList>

class InstanceService;

// Another start of the program on this display handed its files over (or
// asked for the window): each file opens as Open opens it, then the window
// comes up. While a modal dialog is open the request waits for it to close,
// so no document changes under a dialog that works on the current one.
void serveInstanceRequests(InstanceService* service);

// Opens each file as Open would: the open copy is shown instead when the
// option forbids a second one, otherwise a new tab; a file that cannot be
// read is reported and the next one follows.
void openRequestedFiles(const QList<QByteArray>& files);
