// PlenwickAdminMove: the administrator step of moving items to the Trash, started
// by pkexec with the user's home Trash and the items' paths as its arguments. It
// prints "FAIL:<index>" for each item it could not move.

#include "services/AdminMove.h"

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

int main(int argc, char** argv) {
    // A deep folder holds one descriptor per level while it is handed to the user.
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string output, errors;
    const int status = plenwick::runAdminMove(arguments, std::getenv("PKEXEC_UID"), output, errors);
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    return status;
}
