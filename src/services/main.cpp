// PlenwickAdminMove: the administrator step of moving items to the Trash, started
// by pkexec with the user's home Trash and the items' paths as its arguments (options
// before them), or with "--remove" and files to delete. It prints "FAIL:<index>" for
// each item it could not move or delete.

#include "platform/TrashFiles.h"
#include "services/AdminMove.h"

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string output, errors;
    int status = plenwick::runAdminMove(arguments, std::getenv("PKEXEC_UID"), output, errors, std::getenv("SUDO_UID"));
    // The caller learns which items stayed from this output alone: when it cannot be
    // written whole, the run counts as failed for every item.
    if (!plenwick::writeAll(STDOUT_FILENO, output) || ::close(STDOUT_FILENO) != 0) {
        errors += "The results could not be written.\n";
        status = 1;
    }
    (void)plenwick::writeAll(STDERR_FILENO, errors);
    return status;
}
