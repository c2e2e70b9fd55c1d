// EDdeError: the DDE link's own exception, raised when the DDE instance
// cannot be made at start-up. It carries only its message.
#pragma once

#include "rtl/sysutils.h"

class EDdeError : public Exception {
  public:
    using Exception::Exception;
};
