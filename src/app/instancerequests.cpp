#include "app/instancerequests.h"

#include "app/forms.h"
#include "app/tfp.h"
#include "documents/filecommands.h"
#include "instance/instanceservice.h"
#include "options/toption.h"
#include "platform/errors.h"
#include "platform/nativenames.h"
#include "widgets/checkbox.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace {

void raiseMainWindow()
{
    if (Fp->isMinimized())
        Fp->showNormal();
    Fp->show();
    Fp->raise();
    Fp->activateWindow();
}

void whenNoModalDialog(QObject* context, const std::function<void()>& action)
{
    if (!QApplication::activeModalWidget()) {
        action();
        return;
    }
    QTimer::singleShot(200, context, [context, action] { whenNoModalDialog(context, action); });
}

}

void openRequestedFiles(const QList<QByteArray>& files)
{
    for (const QByteArray& file : files) {
        const QString name = NativeNames::fromNative(file);
        runGuarded([&name] {
            if (!Fp->files().showsOpenCopy(name, Option->chkboxOptionSeveralTimes->isChecked()))
                Fp->files().openInNewDocument(name);
        });
    }
}

void serveInstanceRequests(InstanceService* service)
{
    if (!service || !Fp)
        return;
    QObject::connect(service, &InstanceService::raiseRequested, Fp,
                     [] { whenNoModalDialog(Fp, [] { raiseMainWindow(); }); });
    QObject::connect(service, &InstanceService::openRequested, Fp, [](const QList<QByteArray>& files) {
        whenNoModalDialog(Fp, [files] {
            openRequestedFiles(files);
            raiseMainWindow();
        });
    });
    service->setReady();
}
