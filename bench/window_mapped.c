// Waits on the X display for a top-level window of process PID to be
// mapped and prints the moment it was (microseconds since the epoch, the
// clock of bash's EPOCHREALTIME). Told by the X server's MapNotify, not by
// polling: `xdotool search --sync` looks only every half second, which
// made every start seem to take at least that long.
//
//   window_mapped PID_FILE    prints "ready" once it listens, then reads
//                             the process id from PID_FILE at each map
//                             (an empty file: any process's window)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <xcb/xcb.h>

// The _NET_WM_PID of a window, or 0.
static unsigned WindowPid(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t pidAtom) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), NULL);
    unsigned pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4) pid = *(const unsigned*)xcb_get_property_value(reply);
    free(reply);
    return pid;
}

static unsigned PidFromFile(const char* path) {
    FILE* file = fopen(path, "r");
    unsigned pid = 0;
    if (file) {
        if (fscanf(file, "%u", &pid) != 1) pid = 0;
        fclose(file);
    }
    return pid;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: window_mapped PID_FILE\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "window_mapped: cannot connect to the X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t change = xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_request_check(connection, change)) {
        fprintf(stderr, "window_mapped: cannot watch the root window\n");
        return 2;
    }
    const char* name = "_NET_WM_PID";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, (uint16_t)strlen(name), name), NULL);
    if (!atom) {
        fprintf(stderr, "window_mapped: no _NET_WM_PID atom\n");
        return 2;
    }
    puts("ready");
    fflush(stdout);
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(connection))) {
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            struct timeval now;
            gettimeofday(&now, NULL);
            const xcb_map_notify_event_t* map = (const xcb_map_notify_event_t*)event;
            const unsigned pid = PidFromFile(argv[1]);
            if (!map->override_redirect && (pid == 0 || WindowPid(connection, map->window, atom->atom) == pid)) {
                printf("%lld\n", (long long)now.tv_sec * 1000000 + now.tv_usec);
                return 0;
            }
        }
        free(event);
    }
    fprintf(stderr, "window_mapped: the X server closed the connection\n");
    return 1;
}
