// Counts the entries of a table, never its bytes.
#pragma once

#define ARRAY_SIZE(array) (sizeof(array) / sizeof((array)[0]))
