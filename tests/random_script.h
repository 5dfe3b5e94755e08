#pragma once
// Seeded random sequences of user actions, as a curious or careless student might do them: typing
// odd texts into any box, pressing whatever button is shown, menus, answers, closing and copying
// windows, pasting blocks. Generated at test time; only the seeds are kept.

#include <string>

#include "tables/reference_tables.h"

namespace tomokari {

// A script of `actions` actions, a dump after every few of them and at the end, that every runner
// can play to its end: it presses only buttons that are shown and answers every question it asks.
std::string randomScript(const ReferenceTables& tables, unsigned seed, int actions);

}  // namespace tomokari
