#pragma once

#include "platform/errors.h"

// Raised when a tab index has no page: a programming error, not a user's.
class EExtPageInvalidCall : public ScrivoError {
public:
    using ScrivoError::ScrivoError;
};
