#include "app/forms.h"

#include "about/tabout.h"
#include "app/stringtable.h"
#include "app/tfp.h"
#include "options/toption.h"
#include "platform/loadstr.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "settings/formstorage.h"

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
    // The search dialogs read their settings when shown.
    new TFormStorage(Find, QStringLiteral("formstorageFind"),
                     {QStringLiteral("chkboxFindCase.Checked"), QStringLiteral("chkboxFindWord.Checked")});
    FindReplace = new TFindReplace(Fp);
    new TFormStorage(FindReplace, QStringLiteral("formstorageFindReplace"),
                     {QStringLiteral("chkboxFindReplaceCase.Checked"), QStringLiteral("chkboxFindReplaceWord.Checked")});
    // The two search dialogs cast a shadow; every dialog opens with its animation.
    Find->setDropShadow(true);
    FindReplace->setDropShadow(true);
    const QString firstArgument = arguments.value(0);
    Option = new TOption(Fp, Fp->optionTargets(), [firstArgument](TOption* option) {
        // The first editor reads its look from the options through the
        // global: it must name the form before the form's creation ends.
        Option = option;
        Fp->startupDocument(firstArgument);
    });
    Fp->recoverDocuments();
    if (show)
        Fp->show();
}

namespace {
// Each settings store saves its form on the way out, while the form is whole.
template <typename Form>
void destroyForm(Form*& form)
{
    TFormPlacement::formDestroying(form);
    delete std::exchange(form, nullptr);
}
}

void destroyForms()
{
    destroyForm(Option);
    destroyForm(FindReplace);
    destroyForm(Find);
    destroyForm(About);
    destroyForm(Fp);
}
