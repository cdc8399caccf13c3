// The two windows of the program as designed.
#pragma once

#include "layouts/layout.h"

namespace quorvel::layouts {

extern const FormSpec kForm1;  // the setup window
extern const FormSpec kForm2;  // the lock window

}  // namespace quorvel::layouts
