// Preloaded into a run of the tool: the terminal refuses every change of its
// modes, as a terminal that goes away or a signal at the wrong moment makes
// it do. Reading the modes still works.
#include <termios.h>

#include <cerrno>

extern "C" int tcsetattr(int, int, const struct termios*) {
    errno = EIO;
    return -1;
}
