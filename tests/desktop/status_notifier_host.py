"""A StatusNotifier host on the session bus, for one program's icon, as a panel is.

status_notifier_host.py FOLDER: takes the watcher's name, then creates FOLDER/ready.
Once an icon registers, creates FOLDER/registered. Whenever FOLDER/click-LABEL
appears, removes it, chooses the icon menu's item LABEL as a click in the panel's
menu does, and creates FOLDER/clicked-LABEL. Whenever FOLDER/activate appears,
removes it, clicks the icon as a panel does (Activate), and creates FOLDER/activated
once the program has gone back to its event loop. Ends after 300 seconds.
"""
import os
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
INTERFACE = """
<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
</interface></node>
"""
LIFETIME_SECONDS = 300
POLL_MILLISECONDS = 50

folder = sys.argv[1]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
loop = GLib.MainLoop()
items = []


def touch(name):
    open(os.path.join(folder, name), "w").close()


def call(service, path, interface, method, arguments, reply):
    return bus.call_sync(service, path, interface, method, arguments, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, -1, None).unpack()


def method_call(connection, sender, path, interface, method, parameters, invocation):
    if method == "RegisterStatusNotifierItem":
        service = parameters.unpack()[0]
        if service.startswith("/"):
            items.append((sender, service))
        else:
            items.append((service, "/StatusNotifierItem"))
        touch("registered")
    invocation.return_value(None)


def get_property(connection, sender, path, interface, name):
    values = {"IsStatusNotifierHostRegistered": GLib.Variant("b", True),
              "RegisteredStatusNotifierItems": GLib.Variant("as", [s for s, _ in items]),
              "ProtocolVersion": GLib.Variant("i", 0)}
    return values[name]


def find(layout, label):
    identifier, properties, children = layout
    if properties.get("label") == label:
        return identifier
    for child in children:
        found = find(child, label)
        if found is not None:
            return found
    return None


def click(label):
    service, path = items[-1]
    menu = call(service, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Menu")), "(v)")[0]
    dbusmenu = "com.canonical.dbusmenu"
    layout = call(service, menu, dbusmenu, "GetLayout",
                  GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")[1]
    identifier = find(layout, label)
    if identifier is None:
        return
    call(service, menu, dbusmenu, "AboutToShow", GLib.Variant("(i)", (0,)), "(b)")
    call(service, menu, dbusmenu, "Event",
         GLib.Variant("(isvu)", (identifier, "clicked", GLib.Variant("i", 0), 0)), "()")
    touch("clicked-" + label)


def activate():
    service, path = items[-1]
    call(service, path, "org.kde.StatusNotifierItem", "Activate", GLib.Variant("(ii)", (0, 0)),
         "()")
    # A second call is answered only after the program has handled the first.
    call(service, path, "org.freedesktop.DBus.Properties", "Get",
         GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Id")), "(v)")
    touch("activated")


def poll():
    for name in os.listdir(folder):
        if name == "activate" and items:
            os.remove(os.path.join(folder, name))
            activate()
        if name.startswith("click-") and items:
            os.remove(os.path.join(folder, name))
            try:
                click(name[len("click-"):])
            except GLib.Error:
                pass  # the program has gone while its menu was asked
    return True


node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
bus.register_object("/StatusNotifierWatcher", node.interfaces[0], method_call, get_property,
                    None)
Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.NONE,
                               lambda *_: touch("ready"), lambda *_: loop.quit())
GLib.timeout_add(POLL_MILLISECONDS, poll)
GLib.timeout_add_seconds(LIFETIME_SECONDS, loop.quit)
loop.run()
