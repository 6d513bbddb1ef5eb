// The process-wide configuration record.
#include "settings.h"
