#include "platform/loadstr.h"

namespace {
StringResolver& resolver()
{
    static StringResolver r;
    return r;
}
}

void setStringResolver(StringResolver r) { resolver() = std::move(r); }

QString LoadStr(int id) { return resolver() ? resolver()(id) : QString(); }
