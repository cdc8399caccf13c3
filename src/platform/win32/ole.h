// OLE, started at its first use rather than before the first paint: the
// setup window needs it only for the picture field's drop target, registered
// after that paint, and for WIC, which decodes only what the program's own
// decoders do not.
#pragma once

namespace quorvel::win32 {

// Initialises OLE on this thread once; later calls do nothing.
void UseOle();
// Uninitialises it if UseOle did initialise it: at the end of the program,
// after every window (and with them every drop target) is gone.
void EndOle();

}  // namespace quorvel::win32
