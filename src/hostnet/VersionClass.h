// Windows version class: the number the host network code and the message box routine
// branch on. Classes 7, 8 and 10 are the 98/Me family; every other class takes the NT path.
#pragma once

#include "platform/System.h"

namespace zavro {

int VersionClassOf(const OsVersion& version);

// True for the 98/Me family (classes 7, 8 and 10).
bool IsWin9xFamilyClass(int versionClass);

}  // namespace zavro
