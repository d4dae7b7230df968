#include "platform/loadstr.h"

namespace {
StringResolver& resolver()
{
    static StringResolver r;
    return r;
}
}

void setStringResolver(StringResolver r) { resolver() = std::move(r); }

QString LoadStr(StringId id) { return resolver() ? resolver()(id) : QString(); }
