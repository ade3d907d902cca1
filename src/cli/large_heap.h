#pragma once

#include <string>

namespace vt::cli {

// Before a large database is read: its design takes tens to hundreds of
// megabytes in small pieces, and faulting them in 4 KB pages cost a fifth
// of the run. The heap is grown in large steps and backed by huge pages
// (the reader's second thread keeps its own). Nothing changes for a small
// file, where a huge page would only add to the memory used.
void PrepareHeapFor(const std::string& databasePath);

}  // namespace vt::cli
