// Drops a list of URIs on an X window as a file manager does with Shift held:
// an XDND drag that offers Copy, Move and Link and proposes Move. Prints the
// action the target's XdndFinished reports ("copy", "move", "link" or "none").
// Usage: xdnddrag WINDOW-ID X Y URI...   (X and Y relative to the window)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/select.h>

namespace {

constexpr long XdndVersion = 5;
constexpr int TimeoutSeconds = 20;

struct Atoms
{
    Atom aware, enter, position, status, drop, finished, selection, typeList, actionList;
    Atom copy, move, link, uriList;

    explicit Atoms(Display *display)
    {
        const auto atom = [display](const char *name) { return XInternAtom(display, name, False); };
        aware = atom("XdndAware");
        enter = atom("XdndEnter");
        position = atom("XdndPosition");
        status = atom("XdndStatus");
        drop = atom("XdndDrop");
        finished = atom("XdndFinished");
        selection = atom("XdndSelection");
        typeList = atom("XdndTypeList");
        actionList = atom("XdndActionList");
        copy = atom("XdndActionCopy");
        move = atom("XdndActionMove");
        link = atom("XdndActionLink");
        uriList = atom("text/uri-list");
    }

    const char *name(Atom action) const
    {
        return action == copy ? "copy" : action == move ? "move" : action == link ? "link" : "none";
    }
};

void sendMessage(Display *display, Window target, Atom type, const long (&data)[5])
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = data[i];
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// Hands the URI list to the target when it asks for the dropped data.
void answerSelectionRequest(Display *display, const XSelectionRequestEvent &request, const Atoms &atoms,
                            const std::string &uris)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.target == atoms.uriList) {
        const Atom property = request.property != None ? request.property : request.target;
        XChangeProperty(display, request.requestor, property, atoms.uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(uris.data()), int(uris.size()));
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

// The next event, or false when none comes in time.
bool nextEvent(Display *display, XEvent &event)
{
    while (!XPending(display)) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        timeval timeout{TimeoutSeconds, 0};
        if (select(ConnectionNumber(display) + 1, &readable, nullptr, nullptr, &timeout) <= 0)
            return false;
    }
    XNextEvent(display, &event);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5)
        return 2;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Atoms atoms(display);
    const Window target = Window(std::strtoul(argv[1], nullptr, 0));
    std::string uris;
    for (int i = 4; i < argc; ++i)
        uris += std::string(argv[i]) + "\r\n";

    const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    // Move first: Qt takes the first action of the list as the one proposed.
    const Atom offered[] = {atoms.move, atoms.copy, atoms.link};
    XChangeProperty(display, source, atoms.actionList, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(offered), 3);
    XChangeProperty(display, source, atoms.typeList, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&atoms.uriList), 1);
    XSetSelectionOwner(display, atoms.selection, source, CurrentTime);

    int rootX = 0;
    int rootY = 0;
    Window child = None;
    XTranslateCoordinates(display, target, DefaultRootWindow(display), std::atoi(argv[2]), std::atoi(argv[3]),
                          &rootX, &rootY, &child);

    const long source32 = long(source);
    sendMessage(display, target, atoms.enter, {source32, XdndVersion << 24, long(atoms.uriList), 0, 0});
    sendMessage(display, target, atoms.position, {source32, 0, (rootX << 16) | rootY, CurrentTime, long(atoms.move)});

    XEvent event;
    bool dropped = false;
    while (nextEvent(display, event)) {
        if (event.type == SelectionRequest) {
            answerSelectionRequest(display, event.xselectionrequest, atoms, uris);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status && !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                std::puts("refused");
                return 1;
            }
            sendMessage(display, target, atoms.drop, {source32, 0, CurrentTime, 0, 0});
            dropped = true;
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
            const bool accepted = event.xclient.data.l[1] & 1;
            std::puts(accepted ? atoms.name(Atom(event.xclient.data.l[2])) : "none");
            XCloseDisplay(display);
            return 0;
        }
    }
    std::puts("no answer");
    return 1;
}
