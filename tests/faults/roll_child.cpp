// The roll-forward in a process of its own that ends at its file call K:
//   fault_roll_child K FOLDER
// Only the file library, without windows, so that it starts in half the time
// of the fault test itself: the test starts it hundreds of times.
#include <cstdlib>
#include <string>

#include "tests/faults/fault_seam.h"
#include "tests/faults/roll_forward.h"
#include "text/list.h"
#include "text/text.h"

int main(int argc, char** argv) {
    if (argc != 3) return 3;
    text_init();
    list_init();
    file_library_init();
    faults::install();
    faults::arm(std::atol(argv[1]), faults::Kind::EndProcess);
    roll_forward(std::string(argv[2]) + "\\");
    return 0;  // the call never came
}
