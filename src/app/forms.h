#pragma once

#include <QStringList>

class TAbout;
class TFind;
class TFindReplace;
class TFp;
class TOption;

// The five forms, created in this order and held for the whole run.
extern TFp* Fp;
extern TAbout* About;
extern TFind* Find;
extern TFindReplace* FindReplace;
extern TOption* Option;

// Creates the five forms; arguments are the program's command-line
// arguments after the program name (the first names a file to open). Shows
// the main window when show is set.
void createForms(const QStringList& arguments, bool show = true);

// Destroys the forms, last created first, so each can save its settings on
// the way out.
void destroyForms();
