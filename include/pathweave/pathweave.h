#pragma once

/// Everything a host uses of libPathweave.

#include <pathweave/cue.h>
#include <pathweave/graph_sorter.h>
#include <pathweave/journey.h>
#include <pathweave/journey_query.h>
#include <pathweave/persist.h>
