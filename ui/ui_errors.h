// The toolkit's own exceptions. They carry the text shown to the user, like
// every error of the program (rtl/sysutils.h).
#pragma once

#include "rtl/sysutils.h"

// A stored layout names something the reader does not know, or gives a value
// of the wrong kind.
class EReadError : public Exception {
  public:
    using Exception::Exception;
};

// An operation the control or form cannot do in its present state, e.g.
// showing a visible form modally.
class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

// A line index outside the list.
class EStringListError : public Exception {
  public:
    using Exception::Exception;
};

// The window system refused to create or change something.
class EOutOfResources : public Exception {
  public:
    using Exception::Exception;
};
