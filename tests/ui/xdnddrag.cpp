// Drops a list of URIs on an X window as a file manager does with Shift held:
// an XDND drag that offers Copy, Move and Link and proposes Move. Prints the
// action the target's XdndFinished reports ("copy", "move", "link" or "none").
// Usage: xdnddrag WINDOW-ID X Y URI...   (X and Y relative to the window)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/select.h>

namespace {

constexpr long XdndVersion = 5;
constexpr int TimeoutSeconds = 20;

// The atoms of the protocol, interned in one round trip.
class Atoms
{
public:
    // StatusReply, as Xlib takes Status for a type.
    enum Name {
        Enter,
        Position,
        StatusReply,
        Drop,
        Finished,
        Selection,
        TypeList,
        ActionList,
        Copy,
        Move,
        Link,
        UriList,
        Count
    };

    explicit Atoms(Display *display)
    {
        const char *names[Count] = {"XdndEnter",      "XdndPosition",   "XdndStatus",     "XdndDrop",
                                    "XdndFinished",   "XdndSelection",  "XdndTypeList",   "XdndActionList",
                                    "XdndActionCopy", "XdndActionMove", "XdndActionLink", "text/uri-list"};
        XInternAtoms(display, const_cast<char **>(names), Count, False, m_atoms);
    }

    Atom operator[](Name name) const { return m_atoms[name]; }

    const char *actionName(Atom action) const
    {
        return action == m_atoms[Copy]   ? "copy"
               : action == m_atoms[Move] ? "move"
               : action == m_atoms[Link] ? "link"
                                         : "none";
    }

private:
    Atom m_atoms[Count];
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
    if (request.target == atoms[Atoms::UriList]) {
        const Atom property = request.property != None ? request.property : request.target;
        XChangeProperty(display, request.requestor, property, atoms[Atoms::UriList], 8, PropModeReplace,
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

}   // namespace

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
    const Atom offeredType = atoms[Atoms::UriList];
    const Atom offered[] = {atoms[Atoms::Move], atoms[Atoms::Copy], atoms[Atoms::Link]};
    XChangeProperty(display, source, atoms[Atoms::ActionList], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(offered), 3);
    XChangeProperty(display, source, atoms[Atoms::TypeList], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&offeredType), 1);
    XSetSelectionOwner(display, atoms[Atoms::Selection], source, CurrentTime);

    int rootX = 0;
    int rootY = 0;
    Window child = None;
    XTranslateCoordinates(display, target, DefaultRootWindow(display), std::atoi(argv[2]), std::atoi(argv[3]), &rootX,
                          &rootY, &child);

    const long source32 = long(source);
    sendMessage(display, target, atoms[Atoms::Enter], {source32, XdndVersion << 24, long(offeredType), 0, 0});
    sendMessage(display, target, atoms[Atoms::Position],
                {source32, 0, (rootX << 16) | rootY, CurrentTime, long(atoms[Atoms::Move])});

    XEvent event;
    bool dropped = false;
    while (nextEvent(display, event)) {
        if (event.type == SelectionRequest) {
            answerSelectionRequest(display, event.xselectionrequest, atoms, uris);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms[Atoms::StatusReply] && !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                std::puts("refused");
                return 1;
            }
            sendMessage(display, target, atoms[Atoms::Drop], {source32, 0, CurrentTime, 0, 0});
            dropped = true;
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms[Atoms::Finished]) {
            const bool accepted = event.xclient.data.l[1] & 1;
            std::puts(accepted ? atoms.actionName(Atom(event.xclient.data.l[2])) : "none");
            XCloseDisplay(display);
            return 0;
        }
    }
    std::puts("no answer");
    return 1;
}
