// map_wait COMMAND [ARGUMENTS...]: starts the command on the X server that DISPLAY names and
// prints the microseconds from its start until a top-level window is first mapped, then ends
// it. It waits for the server's MapNotify on the root window rather than asking again and again
// whether a window is there: a poll would take the processor from the program it times and
// see the window only at its next turn.
// Exits 1 when the command ends or 10 s pass without a window, 2 when the server is not there.
// The command's standard error is map_wait's.

#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long microseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_wait COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "map_wait: no X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
    // Listening before the command starts: a round trip makes sure the server has the request.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const long long start = microseconds();
    const pid_t child = fork();
    if (child == 0) {
        // Standard output carries the time alone; the command's own goes nowhere.
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    long long mapped = -1;
    bool ended = false;
    pollfd server{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (mapped < 0 && !ended && microseconds() - start < 10000000) {
        poll(&server, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && mapped < 0) mapped = microseconds();
            std::free(event);
        }
        ended = mapped < 0 && waitpid(child, nullptr, WNOHANG) == child;
    }
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    xcb_disconnect(connection);
    if (mapped < 0) {
        std::fprintf(stderr, "map_wait: %s showed no window\n", argv[1]);
        return 1;
    }
    std::printf("%lld\n", mapped - start);
    return 0;
}
