#include "status/status_parser.h"

const PendingBound kPendingBound = {8 * 1024, 4 * 1024};
