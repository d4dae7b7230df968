#pragma once

#include <QString>

// How a CD-ROM drive is captioned and drawn.
//
// A drive that is not ready is captioned " (<mount point>)" with the default
// CD-ROM icon. A ready one is captioned with its volume label (cased: "WORK
// DISC" -> "Work Disc"; empty without a label) and drawn with the icon its
// autorun.inf names, when the disc has one that can be found (the
// "icon=file[,number]" entry of section [autorun]; the file is looked for as
// written, relative to the disc's root, then by its bare name in the root,
// without regard to case as discs often spell names in capitals), else with
// the default CD-ROM icon.
struct TSxCdRomLabel {
    QString text;
    int iconIndex = -1; // into the system image list
    bool iconFromDisc = false;
};

TSxCdRomLabel CdRomLabel(const QString& mountPoint);

// The file and icon number an autorun.inf names ("setup.exe,2"); number -1
// when it names none. Empty file when the entry is missing.
struct TSxAutorunIcon {
    QString file;
    int number = -1;
};
TSxAutorunIcon readAutorunIcon(const QByteArray& autorunInf);
