// The memory of the kova process.
#pragma once

namespace kova {

// Lets the heap grow in large steps that the kernel may back with huge pages, where the system
// allows it (Linux with the GNU C library): a large structure's storage then costs a few page
// faults instead of one for every 4 KiB touched, and a small one's run is not dominated by
// them. Elsewhere it does nothing. Called once by `main`, before anything is allocated for the
// run; the library never calls it, so runs made in-process by tests keep their host's heap.
void prepare_heap();

}  // namespace kova
