#include "runtime/DS_ABObj.h"

// The item side has no operation that takes its render object (its reserved operations do
// nothing), so there is nothing to tell it.
void DS_ABObj::NotifyConstructor() {}
