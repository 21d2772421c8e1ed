#include "aygshell.h"

BOOL SHInitDialog(SHINITDLGINFO* info) { return info != nullptr; }
