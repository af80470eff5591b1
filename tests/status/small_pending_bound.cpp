// A bound on the parser's pending text that a test reaches within a few chunks.
#include "status/status_parser.h"

const PendingBound kPendingBound = {100, 40};
