// Types text on a KWin seat through org_kde_kwin_fake_input, for compositors without the
// virtual keyboard that wtype needs. Lower-case letters, digits, space and newline only.
// KWin offers the interface only to programs whose desktop file asks for it.

#include "platform/linux/WaylandConnection.h"

#include <fake-input-client-protocol.h>
#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int KeyCode(char c)
{
    static const char* rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const int first[] = {KEY_1, KEY_Q, KEY_A, KEY_Z};
    for (int r = 0; r < 4; ++r)
        if (const char* at = std::strchr(rows[r], c); at && c)
            return first[r] + int(at - rows[r]);
    if (c == ' ')
        return KEY_SPACE;
    if (c == '\n')
        return KEY_ENTER;
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TEXT\n", argv[0]);
        return 2;
    }
    platform::WaylandConnection wl;
    if (!wl.open(2000)) {
        std::fprintf(stderr, "no Wayland compositor\n");
        return 1;
    }
    auto* input =
        static_cast<org_kde_kwin_fake_input*>(wl.bind(&org_kde_kwin_fake_input_interface, 4));
    if (!input || !wl.has("org_kde_kwin_fake_input")) {
        std::fprintf(stderr, "the compositor offers no org_kde_kwin_fake_input\n");
        return 1;
    }
    if (org_kde_kwin_fake_input_get_version(input) < 4) {
        std::fprintf(stderr, "org_kde_kwin_fake_input too old for keys\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(input, "quorlin tests", "typing for a test");
    for (const char* c = argv[1]; *c; ++c) {
        const int key = KeyCode(*c);
        if (key < 0) {
            std::fprintf(stderr, "cannot type '%c'\n", *c);
            return 2;
        }
        org_kde_kwin_fake_input_keyboard_key(input, key, 1);
        org_kde_kwin_fake_input_keyboard_key(input, key, 0);
        if (!wl.roundtrip(2000)) {
            std::fprintf(stderr, "the compositor did not answer\n");
            return 1;
        }
        usleep(20000);
    }
    org_kde_kwin_fake_input_destroy(input);
    return wl.roundtrip(2000) ? 0 : 1;
}
