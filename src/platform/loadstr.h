#pragma once

#include "platform/stringids.h"

#include <QString>

#include <functional>

// The program's string resources, as forms load their captions at creation.
// The table itself belongs to the application, which installs it before any
// form is created.
using StringResolver = std::function<QString(int id)>;

void setStringResolver(StringResolver resolver);
// The text of a string id; empty when no table is installed or the id is unknown.
QString LoadStr(StringId id);
