// Waits until a signal ends it: a stand-in for the helper in the cases that start and
// end real copies of it.

#include <unistd.h>

int main() {
    for (;;) ::pause();
}
