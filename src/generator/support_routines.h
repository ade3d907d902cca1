#pragma once
// The seven fixed support routines of a module with common code. Each writer
// returns true when a write failed; it reports nothing itself.

#include "generator/printer.h"

namespace vt {

struct RoutineOptions {
    bool highComments = false;
    bool fullDesign = false;  // Binary sizes and descending index fields too
};

bool WriteDisplayError(Printer& out, const RoutineOptions& options);
bool WriteCreateField(Printer& out, const RoutineOptions& options);
bool WriteAddIndex(Printer& out, const RoutineOptions& options);
bool WriteAddRelation(Printer& out, const RoutineOptions& options);
bool WriteInitField(Printer& out, const RoutineOptions& options);
bool WriteInitIndex(Printer& out, const RoutineOptions& options);
bool WriteInitRelation(Printer& out, const RoutineOptions& options);

// With the full design: sets a property of a saved object, creating it when
// the object has none of that name.
bool WriteSetProperty(Printer& out, const RoutineOptions& options);

// The writers in the order their routines stand in the module.
using RoutineWriter = bool (*)(Printer&, const RoutineOptions&);
inline constexpr RoutineWriter kRoutineWriters[] = {
    WriteDisplayError, WriteCreateField, WriteAddIndex,    WriteAddRelation,
    WriteInitField,    WriteInitIndex,   WriteInitRelation,
};

}  // namespace vt
