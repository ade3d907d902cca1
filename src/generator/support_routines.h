#pragma once
// The seven fixed support routines of a module with common code. Each writer
// returns true when a write failed; it reports nothing itself.

#include "generator/module_writer.h"

namespace vt {

bool WriteDisplayError(ModuleWriter& out, bool highComments);
bool WriteCreateField(ModuleWriter& out, bool highComments);
bool WriteAddIndex(ModuleWriter& out, bool highComments);
bool WriteAddRelation(ModuleWriter& out, bool highComments);
bool WriteInitField(ModuleWriter& out, bool highComments);
bool WriteInitIndex(ModuleWriter& out, bool highComments);
bool WriteInitRelation(ModuleWriter& out, bool highComments);

// The writers in the order their routines stand in the module.
using RoutineWriter = bool (*)(ModuleWriter&, bool);
inline constexpr RoutineWriter kRoutineWriters[] = {
    WriteDisplayError, WriteCreateField, WriteAddIndex,    WriteAddRelation,
    WriteInitField,    WriteInitIndex,   WriteInitRelation,
};

}  // namespace vt
