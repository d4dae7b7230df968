#include "app/forms.h"

#include "about/tabout.h"
#include "app/stringtable.h"
#include "app/tfp.h"
#include "options/toption.h"
#include "platform/loadstr.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"

TFp* Fp = nullptr;
TAbout* About = nullptr;
TFind* Find = nullptr;
TFindReplace* FindReplace = nullptr;
TOption* Option = nullptr;

static void initResources()
{
    // Resources of a static library are registered by hand.
    Q_INIT_RESOURCE(resources);
}

void createForms(const QStringList& arguments, bool show)
{
    initResources();
    setStringResolver(&StringTable::text);
    Fp = new TFp;
    About = new TAbout(Fp);
    Find = new TFind(Fp);
    FindReplace = new TFindReplace(Fp);
    // The two search dialogs cast a shadow; every dialog opens with its animation.
    Find->setDropShadow(true);
    FindReplace->setDropShadow(true);
    const QString firstArgument = arguments.value(0);
    Option = new TOption(Fp, [firstArgument] { Fp->startupDocument(firstArgument); });
    if (show)
        Fp->show();
}

void destroyForms()
{
    delete std::exchange(Option, nullptr);
    delete std::exchange(FindReplace, nullptr);
    delete std::exchange(Find, nullptr);
    delete std::exchange(About, nullptr);
    delete std::exchange(Fp, nullptr);
}
