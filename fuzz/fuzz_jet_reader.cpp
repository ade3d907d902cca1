// libFuzzer entry point: any byte string given to the Jet reader must end in
// a schema or an ErrorException, never a crash, hang or runaway allocation.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto database = vt::jet::ReadJetDatabase(data, size, "/fuzz/input.mdb", std::nullopt);
        // Walk everything a caller would read.
        for (std::size_t i = 0; i < database->TableDefCount(); ++i) {
            (void)database->TableDefAt(i);
        }
    } catch (const vt::ErrorException&) {
        // The expected outcome for almost every mutated input.
    }
    return 0;
}
