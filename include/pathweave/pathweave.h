#pragma once

/// Everything a host uses of libPathweave.

#include <pathweave/cue.h>
