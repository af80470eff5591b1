// The project's version: the one place that defines it. The programs' version resources and
// the tests read it from here.
#pragma once

#define SPROUT_VERSION_MAJOR 1
#define SPROUT_VERSION_MINOR 0
#define SPROUT_VERSION_PATCH 0
