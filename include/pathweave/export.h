#pragma once

/// Marks the classes that libPathweave exports; everything else in the library stays hidden.
#define PATHWEAVE_EXPORT __attribute__((visibility("default")))
