#pragma once
// The seven fixed support routines of a module with common code. Each writer
// returns true when a write failed; it reports nothing itself.

#include "generator/printer.h"

namespace vt {

bool WriteDisplayError(Printer& out, bool highComments);
bool WriteCreateField(Printer& out, bool highComments);
bool WriteAddIndex(Printer& out, bool highComments);
bool WriteAddRelation(Printer& out, bool highComments);
bool WriteInitField(Printer& out, bool highComments);
bool WriteInitIndex(Printer& out, bool highComments);
bool WriteInitRelation(Printer& out, bool highComments);

// With the full design: sets a property of a saved object, creating it when
// the object has none of that name.
bool WriteSetProperty(Printer& out, bool highComments);

// The writers in the order their routines stand in the module.
using RoutineWriter = bool (*)(Printer&, bool);
inline constexpr RoutineWriter kRoutineWriters[] = {
    WriteDisplayError, WriteCreateField, WriteAddIndex,    WriteAddRelation,
    WriteInitField,    WriteInitIndex,   WriteInitRelation,
};

}  // namespace vt
